// Readers of the host's key:value texts ("{key:value,key:value}", braces optional, no quoting, no
// nesting) and the path helpers applied to values read from them.
#pragma once

#include <string>

#include "platform/TavsoHost.h"

// Finds the key anywhere in the text (first occurrence) and returns what stands between the
// following ":" and the item's end, untrimmed. Failures are logged on the volume.
bool parseJsonString(TAVSO::SnapInfo* volume, std::string text, std::string key, std::string& value);

// Finds the key only at the start of an item ("{key:" or ",key:").
bool GetJsonVal(const std::string& text, const std::string& key, std::string& value);
bool getJsonVal(const std::string& text, const std::string& key, std::string& value);

// Unescapes "\/" and normalises slashes: "/a/b" for two or more components, "/name/" for one.
void RemoveEscapeChar(const std::string& in, std::string& out);

// Makes sure the share name begins and ends with backslash-slash.
void CheckAndFixShareName(std::string& name);

// The text with the value of every "hostPassword" item replaced, for log lines.
std::string MaskPasswordItems(const std::string& text);
