// "lumitick --add-to-xscreensaver" (Linux): puts Lumitick into the programs
// list of the user's ~/.xscreensaver, the file xscreensaver and its settings
// read, so that nobody has to edit it by hand.
//
// The list is an X resource value over continued lines: "programs:" and a
// backslash, then one entry a line, each ending in "\n" and a backslash, up
// to a line that does not continue (a blank one, as xscreensaver writes it).
// An entry is [-] [visual:] ["Name"] command; a leading "-" turns it off.
// Lumitick is added once, at the end of the list, so that the position
// "selected:" counts from stays where it was; nothing else in the file
// changes.
#pragma once

#include <string>

namespace xscreensaver_config {

// True when the programs list in `text` has an entry, on or off, whose
// program's file name is `program`; `off` then says whether it is turned off.
bool ListsProgram(const std::string& text, const std::string& program, bool* off = nullptr);

// `text` with the entry `command` added at the end of its programs list.
// A text without a programs list (or an empty text) first gets a copy of the
// list in `defaults` (xscreensaver's X resource defaults, "*programs:"),
// since xscreensaver takes its list from the defaults until the file has one
// of its own. False, with the reason in `problem`, when neither has a list.
bool AddEntry(const std::string& text, const std::string& defaults, const std::string& command, std::string* out,
              std::string* problem);

// The command of the entry: "lumitick --root" when this program lies where
// xscreensaver looks for its hacks (`hackDir`), else its full path.
std::string EntryCommand(const std::string& programPath, const std::string& hackDir);

// The whole command on the file HOME/.xscreensaver (a link is followed and
// the file it names edited): nothing when Lumitick is listed already; else
// the file before the change kept as HOME/.xscreensaver.before-lumitick
// (when there was one) and the new text put in place in one step. Reports on
// standard output, failures on standard error; answers the exit status
// (0, or 1 on failure).
int AddToXScreensaver(const std::string& home, const std::string& defaultsPath, const std::string& command);

}  // namespace xscreensaver_config
