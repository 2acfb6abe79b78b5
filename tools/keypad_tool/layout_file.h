// Loading key_pad.xml for the tool, with one clear line on standard error when it cannot be read
// or is not XML.
#pragma once

namespace tinyxml2 {
class XMLDocument;
}

// 0, or -1 after saying why on standard error.
int LoadLayoutFile(const char* path, tinyxml2::XMLDocument& document);
