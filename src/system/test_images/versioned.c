/* A DLL that holds nothing but its version resource. */
int __stdcall DllEntry(void* module, unsigned reason, void* reserved) { return 1; }
