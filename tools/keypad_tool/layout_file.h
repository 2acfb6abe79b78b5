// Loading key_pad.xml for the tool: the file is read once, whole (a pipe or /dev/stdin as well as
// a file), and the same bytes serve the tool's own parse and the daemon's reader
// (StartDaemonOnLayout). One clear line on standard error when it cannot be read or is not XML.
#pragma once

#include <string>

namespace tinyxml2 {
class XMLDocument;
}

// Reads path into text and parses document from it: 0, or -1 after saying why.
int LoadLayoutFile(const char* path, std::string& text, tinyxml2::XMLDocument& document);
// Parses text (a layout already in memory) into document; name only labels the message. 0, or -1
// after saying why on standard error.
int ParseLayoutText(const char* name, const std::string& text, tinyxml2::XMLDocument& document);
