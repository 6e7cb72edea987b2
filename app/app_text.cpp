#include "app/app_text.h"

namespace convert {

std::u16string ApplicationTitleFromPath(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/:");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    name = name.substr(0, name.find(u'.'));
    std::u16string title(name);
    for (std::size_t i = 1; i < title.size(); ++i) {
        if (title[i] >= u'A' && title[i] <= u'Z') title[i] = static_cast<char16_t>(title[i] - u'A' + u'a');
    }
    return title;
}

std::u16string ErrorBoxText(std::u16string_view message) {
    std::u16string text(message);
    if (!text.empty() && text.back() > u'.') text += u'.';
    return text;
}

}  // namespace convert
