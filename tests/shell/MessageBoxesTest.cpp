#include "shell/MessageBoxes.h"

#include "support/BoxAnswerer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kairos {
namespace {

using testing::BoxAnswerer;

struct NoticeCase {
    DialogType type;
    QString caption;
    QMessageBox::Icon icon;
};

class Notice : public ::testing::TestWithParam<NoticeCase> {
protected:
    void SetUp() override { QGuiApplication::setApplicationDisplayName("時計"); }
};

TEST_P(Notice, ShowsCaptionIconTextAndOneOkButton) {
    const BoxAnswerer answerer("OK");
    ShowNotice("Kairosは既に起動しています。", GetParam().type, 0);
    ASSERT_TRUE(answerer.Seen());
    EXPECT_EQ(answerer.Seen()->caption, GetParam().caption);
    EXPECT_EQ(answerer.Seen()->text, "Kairosは既に起動しています。");
    EXPECT_EQ(answerer.Seen()->icon, GetParam().icon);
    EXPECT_EQ(answerer.Seen()->buttons, QStringList{"OK"});
}

INSTANTIATE_TEST_SUITE_P(Types, Notice,
                         ::testing::Values(NoticeCase{DialogType::Warning, "警告", QMessageBox::Warning},
                                           NoticeCase{DialogType::Error, "エラー", QMessageBox::Critical},
                                           NoticeCase{DialogType::Information, "情報", QMessageBox::Information},
                                           NoticeCase{DialogType::Confirmation, "確認", QMessageBox::Question},
                                           NoticeCase{static_cast<DialogType>(7), "時計", QMessageBox::NoIcon}));

struct AnswerCase {
    QString button;
    bool yes;
};

class YesNo : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(YesNo, IsTrueExactlyForYes) {
    const BoxAnswerer answerer(GetParam().button);
    EXPECT_EQ(AskYesNo("削除しますか？", DialogType::Confirmation, 6), GetParam().yes);
    ASSERT_TRUE(answerer.Seen());
    EXPECT_EQ(answerer.Seen()->caption, "確認");
    EXPECT_EQ(answerer.Seen()->text, "削除しますか？");
    EXPECT_EQ(answerer.Seen()->buttons, (QStringList{"はい(&Y)", "いいえ(&N)"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, YesNo,
                         ::testing::Values(AnswerCase{"はい(&Y)", true}, AnswerCase{"いいえ(&N)", false},
                                           AnswerCase{"", false}));  // closed without an answer

TEST(ApplicationError, NeverStacksBoxes) {
    std::optional<BoxAnswerer> nested;
    const BoxAnswerer first("OK", [&] {
        nested.emplace("OK");
        ShowApplicationError("again");  // returns at once while the first box is open
    });
    ShowApplicationError("tick failed");
    ASSERT_TRUE(first.Seen());
    EXPECT_EQ(first.Seen()->caption, "Kairos");
    EXPECT_EQ(first.Seen()->text, "tick failed");
    EXPECT_EQ(first.Seen()->icon, QMessageBox::Critical);
    EXPECT_EQ(first.Seen()->buttons, QStringList{"OK"});
    EXPECT_FALSE(nested->Seen());
    nested.reset();

    const BoxAnswerer later("OK");
    ShowApplicationError("later");
    EXPECT_TRUE(later.Seen());
}

// A form that ends itself with a chosen result as soon as it is shown.
class ScriptedForm : public QDialog {
public:
    int outcome = ModalOk;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        QTimer::singleShot(0, this, [this] { done(outcome); });
    }
};

struct ModalCase {
    int outcome;
    bool accepted;
};

class ModalForm : public ::testing::TestWithParam<ModalCase> {};

TEST_P(ModalForm, RunsCallbacksInOrderAndFreesTheForm) {
    std::vector<std::string> calls;
    QPointer<ScriptedForm> window;
    const int result = ShowNewModalDialog<ScriptedForm>(
        42, [&](ScriptedForm&) { calls.emplace_back("accepted"); },
        [&](ScriptedForm& shown) {
            window = &shown;
            calls.emplace_back("before tag " + shown.property("Tag").toString().toStdString());
            shown.outcome = GetParam().outcome;
        });
    EXPECT_EQ(result, GetParam().outcome);
    std::vector<std::string> expected{"before tag 42"};
    if (GetParam().accepted) expected.emplace_back("accepted");
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(window.isNull());
}

INSTANTIATE_TEST_SUITE_P(Results, ModalForm,
                         ::testing::Values(ModalCase{ModalOk, true}, ModalCase{ModalYes, true}, ModalCase{ModalAll, true},
                                           ModalCase{ModalYesToAll, true}, ModalCase{ModalNone, false},
                                           ModalCase{ModalCancel, false}, ModalCase{ModalAbort, false},
                                           ModalCase{ModalRetry, false}, ModalCase{ModalIgnore, false},
                                           ModalCase{ModalNo, false}, ModalCase{ModalNoToAll, false}));

TEST(ModalFormFailure, FreesTheFormWhenACallbackThrows) {
    QPointer<ScriptedForm> window;
    const auto keep = [&](ScriptedForm& shown) { window = &shown; };
    const auto fail = [](ScriptedForm&) { throw std::runtime_error("callback"); };
    EXPECT_THROW(ShowNewModalDialog<ScriptedForm>(0, {}, [&](ScriptedForm& shown) {
        keep(shown);
        fail(shown);
    }),
                 std::runtime_error);
    EXPECT_TRUE(window.isNull());
    EXPECT_THROW(ShowNewModalDialog<ScriptedForm>(0, fail, keep), std::runtime_error);
    EXPECT_TRUE(window.isNull());
}

TEST(TopMost, ChangesTheBandAndShowsWithoutMovingOrResizing) {
    QWidget window;
    window.setGeometry(120, 80, 174, 58);
    window.show();
    const QRect placed = window.geometry();
    SetTopMostWindow(&window);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), placed);

    window.hide();
    SetNoTopMostWindow(&window);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), placed);
}

}  // namespace
}  // namespace kairos
