#include "dialogs/AboutDialog.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include <optional>
#include <string>

#include "controls/LinkLabel.h"
#include "media/Launcher.h"
#include "settings/IniStore.h"
#include "support/BoxAnswerer.h"
#include "support/FakeClock.h"
#include "support/RecordingMedia.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using testing::BoxAnswerer;
using testing::TempDir;

class AboutDialogTest : public ::testing::Test {
protected:
    // Answers the error box that making the dialog may show; the text, or
    // nothing when none came up.
    std::optional<QString> Open(const std::string& executable) {
        const BoxAnswerer answerer(QStringLiteral("OK"));
        dialog = std::make_unique<AboutDialog>(services, nullptr, executable);
        QCoreApplication::processEvents();
        if (!answerer.Seen()) return std::nullopt;
        EXPECT_EQ(answerer.Seen()->icon, QMessageBox::Critical);
        return answerer.Seen()->text;
    }

    void ExpectPlaceholders(bool version, bool copyright, bool comments) const {
        EXPECT_EQ(dialog->Version->text() == "バージョン", version);
        EXPECT_EQ(dialog->Copyright->text() == "著作権表示", copyright);
        EXPECT_EQ(dialog->Comments->text() == "コメント", comments);
        // Set before the version resource is read, so always shown.
        EXPECT_EQ(dialog->ProductName->text(), QGuiApplication::applicationDisplayName());
    }

    testing::FakeClock clock;
    testing::RecordingMedia media;
    DialogServices services{clock, [] { return std::unique_ptr<IniStore>(); }, media,
                            {}, ""};
    std::unique_ptr<AboutDialog> dialog;
};

TEST_F(AboutDialogTest, WithoutAResourceShowsTheErrorAndThePlaceholders) {
    const TempDir dir;
    for (const std::string& file : {std::string("/proc/self/exe"), dir.Write("plain", "not a program")}) {
        EXPECT_EQ(Open(file), "ファイルバージョンが取得できません") << file;
        ExpectPlaceholders(true, true, true);
    }
}

TEST_F(AboutDialogTest, WithoutCommentsNamesThemAndShowsTheRest) {
    EXPECT_EQ(Open(KAIROS_VERSIONED_PROGRAM_WITHOUT_COMMENTS), "ファイルバージョンCommentsが取得できませんでした。");
    ExpectPlaceholders(false, false, true);
    EXPECT_EQ(dialog->Version->text(), KAIROS_TEST_VERSION);
    EXPECT_EQ(dialog->Copyright->text(), KAIROS_TEST_COPYRIGHT);
}

TEST_F(AboutDialogTest, ShowsTheStringsAndCutsLongComments) {
    EXPECT_EQ(Open(KAIROS_VERSIONED_PROGRAM), std::nullopt);
    EXPECT_EQ(dialog->Version->text(), KAIROS_TEST_VERSION);
    EXPECT_EQ(dialog->Copyright->text(), KAIROS_TEST_COPYRIGHT);
    EXPECT_EQ(dialog->Comments->text(), KAIROS_TEST_COMMENTS);
    ASSERT_GT(dialog->Comments->heightForWidth(242), AboutDialog::CommentsMaxHeight);
    EXPECT_EQ(dialog->Comments->size(), QSize(242, AboutDialog::CommentsMaxHeight));
    EXPECT_LE(dialog->Version->width(), 168);
}

TEST_F(AboutDialogTest, IsCentredOnItsOwnerWithinTheWorkArea) {
    QWidget owner;
    owner.setGeometry(QGuiApplication::primaryScreen()->availableGeometry().adjusted(100, 100, -300, -200));
    owner.show();
    const BoxAnswerer answerer(QStringLiteral("OK"));
    AboutDialog about(services, &owner, KAIROS_VERSIONED_PROGRAM);
    about.show();
    EXPECT_LE((about.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 1);
    owner.move(-5000, -5000);
    about.hide();
    about.show();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(about.frameGeometry()));
}

TEST_F(AboutDialogTest, MailLinkOpensTheMailProgramAndCloses) {
    Open(KAIROS_VERSIONED_PROGRAM);
    dialog->show();
    LinkLabel& link = *dialog->LinkLabel1;
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&link, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&link, &release);
    ASSERT_EQ(media.events.size(), 1u);
    EXPECT_EQ(media.events[0].what, "open");
    EXPECT_EQ(media.events[0].name, "mailto:" + link.text().toStdString());
    EXPECT_EQ(media.events[0].number, kShowNormally);
    EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
}  // namespace kairos
