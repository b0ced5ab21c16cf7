#pragma once
// Inside the toolkit: what the open-file requester makes of its arguments.

#include <string>
#include <vector>

namespace toolkit {

// The requester's filters from a pattern list "label|patterns|label|patterns":
// each as "label (patterns)", patterns separated by blanks. Qt reads a
// filter's patterns from its last parenthesised group, so labels that carry
// their own "(*.scr)" stay as written. "*.*" becomes "*", which also matches
// names without a dot. The list ends at an empty label; a pair without
// patterns is left out.
std::vector<std::string> FileFiltersOf(const std::string& patternList);

// The default file split into the folder to open and the name to offer. The
// name is offered only when it is a plain file name (no control characters
// and none of " * / : < > ? \ |).
struct DefaultFile {
    std::string folder;
    std::string name;
};
DefaultFile SplitDefaultFile(const std::string& defaultFile);

}  // namespace toolkit
