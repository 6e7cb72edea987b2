#include "app/app_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"

namespace convert {
namespace {

TEST(ApplicationTitle, FromTheExecutableName) {
    const struct {
        std::u16string path, title;
    } cases[] = {
        {u"C:\\Tools\\CONVERT.EXE", u"Convert"},
        {u"C:\\Tools\\convert.exe", u"convert"},
        {u"Z:\\a.b\\MyConv.Tool.exe", u"Myconv"},
        {u"D:/x/LENGTH", u"Length"},
        {u"C:\\厘米转化.exe", u"厘米转化"},
        {u"C:\\.exe", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationTitleFromPath(c.path), c.title) << ToUtf8(c.path);
}

TEST(ErrorBoxText, AddsAFullStopAfterCharactersPastIt) {
    const struct {
        std::u16string message, text;
    } cases[] = {
        {u"'12 ' is not a valid integer value", u"'12 ' is not a valid integer value."},
        {u"The length is too large to convert", u"The length is too large to convert."},
        {u"Done.", u"Done."},
        {u"Stop!", u"Stop!"},          // "!" sorts before "."
        {u"ends in -", u"ends in -"},  // so does "-"
        {u"ends in /", u"ends in /."},
        {u"值", u"值."},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.text) << ToUtf8(c.message);
}

}  // namespace
}  // namespace convert
