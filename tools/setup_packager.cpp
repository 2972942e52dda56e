#include "tools/setup_packager.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/pe_image.h"
#include "zel/zip_writer.h"

namespace qv::tools {
namespace fs = std::filesystem;

namespace {

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PackageError("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& path, const std::string& a, const std::string& b = {}) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(a.data(), std::streamsize(a.size()));
  out.write(b.data(), std::streamsize(b.size()));
  out.close();
  if (!out) throw PackageError("cannot write " + path);
}

}  // namespace

std::string ImageOf(const std::string& bytes, const std::string& what) {
  pe::Image image;
  std::string why;
  if (!pe::ParseHeaders(bytes, image, &why)) throw PackageError(what + " is not a Windows image: " + why);
  uint64_t stub = image.StubSize();
  if (stub == 0 || stub > bytes.size()) throw PackageError(what + " is cut short: its sections end beyond the file");
  return bytes.substr(0, size_t(stub));
}

PackageResult WritePackage(const PackageInput& in) {
  if (in.name.empty()) throw PackageError("the setup needs a name");
  std::error_code ec;
  fs::create_directories(in.outputFolder, ec);
  if (ec) throw PackageError("cannot create " + in.outputFolder + ": " + ec.message());

  PackageResult result;
  const std::string image = ImageOf(ReadHostFile(in.engine), in.engine);
  result.stubSize = image.size();
  result.exePath = (fs::path(in.outputFolder) / (in.name + ".exe")).string();
  WriteHostFile(result.exePath, image, in.scriptText.value_or(std::string()));

  if (in.supportFolder) {
    if (!fs::is_directory(*in.supportFolder)) throw PackageError("the support folder " + *in.supportFolder + " does not exist");
    result.resPath = (fs::path(in.outputFolder) / (in.name + ".res")).string();
    zel::Error error;
    auto sink = zel::MakeFileSink(result.resPath, error);
    if (!sink) throw PackageError("cannot write " + result.resPath + ": " + error.text);
    zel::ZipWriterOptions options;
    options.deterministic = in.deterministic;
    zel::ZipWriter writer(std::move(sink), options);
    if ((error = writer.AddFolderTree(*in.supportFolder)) || (error = writer.Finish()))
      throw PackageError("cannot write " + result.resPath + ": " + error.text);
  }

  if (in.archiveComponent) {
    const std::string library = ImageOf(ReadHostFile(*in.archiveComponent), *in.archiveComponent);
    result.zelPath = (fs::path(in.outputFolder) / "zel.lib").string();
    WriteHostFile(result.zelPath, library, in.languageText);
  }
  return result;
}

}  // namespace qv::tools
