// Message boxes without a screen: the text on standard error as UTF-8, the default
// button's answer, and the record tests read.
#include <gtest/gtest.h>

#include "qvplatform/cp932.h"
#include "qvplatform/msgbox.h"

TEST(MessageBox, WritesTheTextAsUtf8AndKeepsItAsGiven) {
    AfxTakeMessageBoxLog();
    const std::string utf8 =
        "MAP.BMPファイルがありません。\nMAP.BMPファイルをフォルダにコピーして再起動してください";
    const std::string cp932 = Utf8ToCp932(utf8);
    ASSERT_NE(cp932, utf8);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox(cp932.c_str(), MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), utf8 + "\n");
    EXPECT_EQ(AfxTakeMessageBoxLog(), std::vector<std::string>{cp932});
    EXPECT_TRUE(AfxTakeMessageBoxLog().empty());
}

TEST(MessageBox, AnswersWithTheDefaultButton) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox("q", MB_YESNO), IDYES);
    EXPECT_EQ(AfxMessageBox("q", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(AfxMessageBox("q", MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("q", MB_RETRYCANCEL | MB_DEFBUTTON3), IDRETRY);  // no third button
    EXPECT_EQ(AfxMessageBox("q", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDRETRY);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, 0x0F), IDOK);  // an unknown type: OK
    testing::internal::GetCapturedStderr();
    AfxTakeMessageBoxLog();
}
