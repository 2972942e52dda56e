#pragma once
// "Get XML File Settings": the text or an attribute of the elements an element path
// names in an XML file.
#include <string>
#include <vector>

#include "common/xml_document.h"
#include "script/command_table.h"

namespace qv::system {

void RegisterXmlFileCommand(script::CommandTable& table);

// The UTF-8 texts the element path (names separated by backslashes; the first one names
// the document element) gives: for each element the last name matches, in reverse
// document order, its attribute `attribute` (elements without it give nothing) or, with
// an empty attribute name, its text. Names are compared with their letter case.
std::vector<std::string> XmlSettings(const xml::Document& document, const std::vector<std::string>& path,
                                     const std::string& attribute);

}  // namespace qv::system
