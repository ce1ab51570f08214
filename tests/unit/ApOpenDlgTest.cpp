#include "filedialog/ApOpenDlg.h"
#include "i18n/vgNLS.h"
#include "support/Files.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace testsupport;

TEST(ApPlacement, EachPositionThenShiftThenClamp) {
    const RECT dialog{100, 100, 500, 400};  // 400 x 300
    const RECT mainForm{0, 0, 201, 101}, ownerForm{1000, 1000, 1100, 1100}, posForm{-51, -51, -10, -10};
    const struct {
        TApDlgPosition pos;
        bool main, owner, form;
        int shiftX, shiftY;
        bool fit;
        RECT want;
    } rows[] = {
        {dpDefault, false, false, false, 7, -9, false, {107, 91, 507, 391}},  // the shift applies here too
        {dpScrCenter, true, true, true, 0, 0, false, {312, 234, 712, 534}},
        {dpMainFormCenter, true, false, false, 0, 0, false, {-100, -100, 300, 200}},  // a form's centre: no clamp
        {dpMainFormCenter, false, false, false, 0, 0, false, {312, 234, 712, 534}},
        {dpOwnerCenter, true, true, false, 0, 0, false, {850, 900, 1250, 1200}},
        {dpOwnerCenter, true, false, false, 0, 0, false, {-100, -100, 300, 200}},
        {dpFormCenter, true, true, true, 0, 0, false, {-230, -180, 170, 120}},
        {dpFormCenter, false, true, false, 0, 0, false, {312, 234, 712, 534}},
        // Fitting comes after the shift: off the right and bottom edges ...
        {dpScrCenter, false, false, false, 500, 500, true, {624, 468, 1024, 768}},
        // ... and off the left and top ones.
        {dpFormCenter, true, true, true, 0, 0, true, {0, 0, 400, 300}},
    };
    for (const auto& r : rows) {
        TApPlacement p{r.pos, r.main ? &mainForm : nullptr, r.owner ? &ownerForm : nullptr,
                       r.form ? &posForm : nullptr, r.shiftX, r.shiftY, r.fit, 1024, 768};
        RECT got = ApPlaceDialog(dialog, p);
        EXPECT_TRUE(EqualRect(&got, &r.want)) << "position " << r.pos << " shift " << r.shiftX << "," << r.shiftY
                                              << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
    // Centring on the screen clamps a dialog wider than the screen to the left edge.
    RECT wide = ApPlaceDialog({0, 0, 1200, 100}, {dpScrCenter, nullptr, nullptr, nullptr, 0, 0, false, 1024, 768});
    EXPECT_EQ((std::pair{wide.left, wide.right}), (std::pair{0L, 1200L}));
}

// The hand cursor asks for one click, an underline alone for two.
TEST(ApListViewStyles, TheHandWinsOverTwoClickActivationAndTheViewIsTheLowBits) {
    TApListViewStyles s;
    s.HotTrackStyles = {htHandPoint, htUnderlineHot};
    EXPECT_EQ(ApExtendedListStyles(s), DWORD(LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT));
    s.HotTrackStyles = {htUnderlineCold};
    EXPECT_EQ(ApExtendedListStyles(s), DWORD(LVS_EX_TWOCLICKACTIVATE | LVS_EX_UNDERLINECOLD));
    // The view, from the low style bits only.
    EXPECT_EQ(ApViewStyleOf(LVS_SMALLICON | WS_CHILD | LVS_EDITLABELS), vsSmallIcon);
}

TEST(OpenDialogBuffers, TitleIsCutAndChosenNamesBecomeFullPaths) {
    std::string longTitle(700, 'x');
    auto buf = tk::TextBuffer512(longTitle);
    EXPECT_EQ(std::string(buf.data()), longTitle.substr(0, 511));
    const char many[] = "C:\\a\0b.txt\0D:\\x.txt\0c\0";
    EXPECT_EQ(tk::SplitFileBuffer(many, sizeof many, false),
              (std::vector<std::string>{"C:\\a\\b.txt", "D:\\x.txt", "C:\\a\\c"}));
    const char root[] = "C:\\\0b\0c\0";
    EXPECT_EQ(tk::SplitFileBuffer(root, sizeof root, false), (std::vector<std::string>{"C:\\b", "C:\\c"}));
    const char old[] = "C:\\a b c";
    EXPECT_EQ(tk::SplitFileBuffer(old, sizeof old, true), (std::vector<std::string>{"C:\\a\\b", "C:\\a\\c"}));
}

TEST(ApOpenDialog, TranslatorReachesTitleCaptionsFormNamesAndPlaces) {
    TempDir dir;
    std::string file = dir.MakeFile("Test.lng", "[Translations]\r\n"
                                                "Box.OpenDialog.Title=Dateien\r\n"
                                                "Box.OpenDialog.DlgItemsCaptions.OK=Zu\r\n"
                                                "Box.OpenDialog.DlgItemsCaptions.LookIn=Suchen\r\n"
                                                "Box.OpenDialog.CustDlgParams.PosParams.FormName=Other\r\n"
                                                "Box.OpenDialog.PlacesBar.Places.1.PlaceDesc=Zweite\r\n");
    tk::Form form(nullptr);
    form.SetName("Box");
    auto* dialog = tk::MakeComponent<TApOpenDialog>(&form, "OpenDialog");
    dialog->SetTitle("Choose Files");
    dialog->DlgItemsCaptions()->OK = "Add";
    dialog->PlacesBar()->Places()->AddPlace();
    dialog->PlacesBar()->Places()->AddPlace()->SetPlaceDesc("Second");
    auto* translator = tk::MakeComponent<TvgTranslator>(&form, "Translator");
    translator->SetLanguageFile(file);
    translator->Translate();
    EXPECT_EQ((std::vector<std::string>{dialog->Title(), dialog->DlgItemsCaptions()->OK, dialog->DlgItemsCaptions()->LookIn,
                                        dialog->CustDlgParams()->PosParams()->FormName(),
                                        dialog->PlacesBar()->Places()->Items(1)->PlaceDesc()}),
              (std::vector<std::string>{"Dateien", "Zu", "Suchen", "Other", "Zweite"}));
}
