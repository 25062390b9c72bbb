// The "text/uri-list" a drag source hands over: one address per line, local files as file: URIs with
// percent escapes.
#pragma once

#include <string>
#include <string_view>

#include "platform/EditorWindow.h"

namespace tarnwick::platform {

// [any-thread] The local files of a uri-list: "file:///path", "file:/path" and "file://HOST/path" where HOST
// is "localhost" or localHost (this machine's name), with percent escapes decoded. Lines end in CRLF (or a
// bare LF); empty lines and comments ("#") are skipped. Anything else (another scheme, another host, an
// escape that gives a NUL byte or no absolute path) is no local file: the first such line goes to `other`.
FileDrag fileDragFromUriList(std::string_view list, std::string_view localHost);

// [any-thread] Decodes %XX escapes; false for a NUL byte. A '%' not followed by two hex digits stays as it is.
bool decodePercentEscapes(std::string_view text, std::string& out);

}  // namespace tarnwick::platform
