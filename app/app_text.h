// The application's own texts: its title and the text of an error box.
#pragma once

#include <string>
#include <string_view>

namespace convert {

// The executable's file name without its folder, cut at its first ".", with
// every letter after the first in lower case: C:\Tools\CONVERT.EXE gives
// "Convert".
std::u16string ApplicationTitleFromPath(std::u16string_view path);

// An error's message as the error box shows it: a final "." is added unless
// the message is empty or already ends in a character that sorts at or
// before "." (such as "!" or ".").
std::u16string ErrorBoxText(std::u16string_view message);

}  // namespace convert
