#include "controls/FileNameEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controls/Hint.h"

namespace kairos {
namespace {

using enum BrowseKind;

// One unit per character, so the table needs no fonts.
int CharacterCount(const std::string& text) {
    int count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

struct ShortenRow {
    std::string name;
    int maxWidth;
    std::string shown;
};

TEST(ShortenFileName, CutsFolderByFolderButNeverTheFileName) {
    const std::string win = "C:\\Program Files\\Sounds\\Chimes\\bell.wav";
    const std::string posix = "/usr/share/sounds/Chimes/bell.wav";
    const std::string japanese = "/home/ユーザー/音/ベル.wav";
    const std::vector<ShortenRow> rows = {
        {win, 39, win},
        {win, 38, "C:\\...\\Sounds\\Chimes\\bell.wav"},
        {win, 28, "C:\\...\\Chimes\\bell.wav"},
        {win, 21, "C:\\...\\bell.wav"},
        {win, 14, "...\\bell.wav"},
        {win, 11, "bell.wav"},
        {win, 3, "bell.wav"},
        {posix, 32, "/.../sounds/Chimes/bell.wav"},
        {posix, 19, "/.../bell.wav"},
        {posix, 12, ".../bell.wav"},
        {posix, 0, "bell.wav"},
        {japanese, 18, "/.../ユーザー/音/ベル.wav"},
        {japanese, 12, "/.../ベル.wav"},
        {japanese, 10, ".../ベル.wav"},
        {"bell.wav", 1, "bell.wav"},
    };
    for (const ShortenRow& row : rows) {
        EXPECT_EQ(ShortenFileName(row.name, row.maxWidth, CharacterCount), row.shown)
            << row.name << " in " << row.maxWidth;
    }
}

TEST(QtNameFilter, ShowsEachPatternOnceInTheDialogsForm) {
    EXPECT_EQ(QtNameFilter("WAVサウンド(*.wav)|*.wav|"), QStringLiteral("WAVサウンド(*.wav)"));
    EXPECT_EQ(QtNameFilter("Sounds|*.wav;*.mid|Pictures (*.bmp)|*.bmp|"),
              QStringLiteral("Sounds (*.wav *.mid);;Pictures (*.bmp)"));
    EXPECT_EQ(QtNameFilter("すべてのファイル (*.*)|*.*"), QStringLiteral("すべてのファイル (*)"));
}

// Puts a browser in for one test and the system dialogs back after it.
class BrowserGuard {
public:
    explicit BrowserGuard(BrowseButton::Browser browser) { BrowseButton::SetBrowser(std::move(browser)); }
    ~BrowserGuard() { BrowseButton::SetBrowser({}); }
    BrowserGuard(const BrowserGuard&) = delete;
    BrowserGuard& operator=(const BrowserGuard&) = delete;
};

class FileNameEditTest : public ::testing::Test {
protected:
    static constexpr const char* Chimes = "C:\\Program Files\\Sounds\\Chimes\\bell.wav";

    void SetUp() override {
        form_.resize(400, 200);
        edit_ = new FileNameEdit(&form_);
        edit_->setGeometry(40, 20, 200, 21);
        other_ = new QLineEdit(&form_);
        other_->setGeometry(40, 60, 200, 21);
        form_.show();
        form_.activateWindow();
        for (int i = 0; i < 100 && QApplication::activeWindow() != &form_; ++i) QApplication::processEvents();
        other_->setFocus();
    }

    BrowseButton& Button() const { return *edit_->Button(); }

    static std::vector<QUrl> Urls(const std::vector<std::string>& files) {
        std::vector<QUrl> urls;
        for (const std::string& file : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file)));
        return urls;
    }

    static void Drop(QWidget& target, const std::vector<std::string>& files) {
        QMimeData data;
        const std::vector<QUrl> urls = Urls(files);
        data.setUrls(QList<QUrl>(urls.begin(), urls.end()));
        QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(3, 3), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        EXPECT_TRUE(drop.isAccepted());
    }

    QWidget form_;
    FileNameEdit* edit_ = nullptr;
    QLineEdit* other_ = nullptr;
};

TEST_F(FileNameEditTest, NarrowEditShowsTheFirstFormThatFitsAndTheFullNameWhenFocused) {
    const QFontMetrics metrics(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const auto widthOf = [&](const char* text) { return metrics.horizontalAdvance(QString::fromUtf8(text)); };
    const std::vector<const char*> forms = {"C:\\...\\Sounds\\Chimes\\bell.wav", "C:\\...\\Chimes\\bell.wav",
                                            "C:\\...\\bell.wav", "...\\bell.wav", "bell.wav"};
    edit_->SetFileName(Chimes);
    for (std::size_t wanted = 0; wanted < forms.size(); ++wanted) {
        edit_->resize(widthOf(forms[wanted]) + 2, edit_->height());
        ASSERT_LT(edit_->contentsRect().width() - 2, widthOf(Chimes));
        EXPECT_EQ(edit_->text(), QString::fromUtf8(forms[wanted])) << "width " << edit_->width();
    }
    edit_->resize(4, edit_->height());
    EXPECT_EQ(edit_->text(), QStringLiteral("bell.wav"));

    edit_->setFocus();
    ASSERT_TRUE(edit_->hasFocus());
    EXPECT_EQ(edit_->text().toStdString(), Chimes);
    other_->setFocus();
    EXPECT_EQ(edit_->text(), QStringLiteral("bell.wav"));
    EXPECT_EQ(edit_->FileName(), Chimes);

    Button().SetDeactiveEllipsis(false);
    EXPECT_EQ(edit_->text().toStdString(), Chimes);
}

TEST_F(FileNameEditTest, TypedNameBecomesTheFileNameAndSurvivesLeavingTheEdit) {
    edit_->resize(60, edit_->height());
    Button().SetInitDir("/start");
    edit_->setFocus();
    ASSERT_TRUE(edit_->hasFocus());
    edit_->selectAll();
    edit_->insert(QStringLiteral("/home/someone/music/chimes/typed.wav"));
    EXPECT_EQ(edit_->FileName(), "/home/someone/music/chimes/typed.wav");
    other_->setFocus();
    EXPECT_EQ(edit_->FileName(), "/home/someone/music/chimes/typed.wav");
    EXPECT_NE(edit_->text(), QStringLiteral("/home/someone/music/chimes/typed.wav"));
    EXPECT_EQ(Button().InitDir(), "/start");
}

// What follows the name (the preferences' ♪) hears of every new one, however it came.
TEST_F(FileNameEditTest, EveryNewNameIsAnnouncedOnce) {
    int changes = 0;
    QObject::connect(&Button(), &BrowseButton::FileNameChanged, [&changes] { ++changes; });
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"set", [this] { edit_->SetFileName("/tmp/a.wav"); }},
        {"set again", [this] { edit_->SetFileName("/tmp/a.wav"); }},
        {"dropped", [this] { Drop(*edit_, {"/tmp/b.wav"}); }},
        {"focused", [this] { edit_->setFocus(); }},
        {"typed", [this] { edit_->insert(QStringLiteral("x")); }},
        {"emptied", [this] { edit_->clear(); }},
        {"left", [this] { other_->setFocus(); }},
    };
    const std::vector<int> expected = {1, 1, 2, 2, 3, 4, 4};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].second();
        EXPECT_EQ(changes, expected[i]) << steps[i].first;
    }
    EXPECT_EQ(edit_->FileName(), "");
}

TEST_F(FileNameEditTest, NewNamesMoveInitDirAndOnlyExactRepeatsAreIgnored) {
    edit_->SetFileName("/tmp/Wave/a.wav");
    EXPECT_EQ(Button().InitDir(), "/tmp/Wave");
    Button().SetInitDir("/elsewhere");
    edit_->SetFileName("/tmp/Wave/a.wav");
    EXPECT_EQ(Button().InitDir(), "/elsewhere");
    edit_->SetFileName("/TMP/WAVE/A.WAV");
    EXPECT_EQ(Button().InitDir(), "/TMP/WAVE");
    edit_->SetFileName("/a.wav");
    EXPECT_EQ(Button().InitDir(), "/");
    Button().SetAutoInitDir(false);
    edit_->SetFileName("D:\\Wave\\b.wav");
    EXPECT_EQ(Button().InitDir(), "/");
}

TEST_F(FileNameEditTest, DropsKeepTheFirstFileWholeOnEditAndButton) {
    Drop(*edit_, {"/tmp/one.wav", "/tmp/two.wav", "/tmp/three.wav"});
    EXPECT_EQ(edit_->FileName(), "/tmp/one.wav");
    Drop(Button(), {"/tmp/b/four.wav", "/tmp/five.wav"});
    EXPECT_EQ(edit_->FileName(), "/tmp/b/four.wav");
    EXPECT_EQ(Button().InitDir(), "/tmp/b");

    const std::string deep = "/tmp/" + std::string(300, 'd') + "/音.wav";
    Drop(*edit_, {deep});
    EXPECT_EQ(edit_->FileName(), deep);

    Button().SetFileDragable(false);
    EXPECT_FALSE(edit_->acceptDrops());
    EXPECT_FALSE(Button().acceptDrops());
}

TEST_F(FileNameEditTest, ButtonSitsBesideTheEditAndFollowsIt) {
    EXPECT_EQ(Button().parentWidget(), &form_);
    EXPECT_EQ(Button().geometry(), QRect(241, 20, 23, 21));
    edit_->setGeometry(50, 30, 100, 25);
    EXPECT_EQ(Button().geometry(), QRect(151, 30, 23, 25));
    Button().SetAlignButton(ButtonSide::Left);
    EXPECT_EQ(Button().geometry(), QRect(27, 30, 23, 25));

    QWidget other;
    edit_->setParent(&other);
    EXPECT_EQ(Button().parentWidget(), &other);
}

TEST_F(FileNameEditTest, ButtonFollowsVisibilityEnabledStateAndDirection) {
    EXPECT_TRUE(Button().isVisible());
    edit_->setEnabled(false);
    EXPECT_FALSE(Button().isEnabled());
    edit_->setEnabled(true);
    EXPECT_TRUE(Button().isEnabled());
    edit_->hide();
    EXPECT_FALSE(Button().isVisible());
    edit_->show();
    EXPECT_TRUE(Button().isVisible());
    edit_->setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(Button().layoutDirection(), Qt::RightToLeft);

    // An edit made before its form gets the button put there with it.
    auto* late = new FileNameEdit(nullptr);
    late->SetFileName("/tmp/late.wav");
    late->setParent(&form_);
    late->show();
    EXPECT_EQ(late->Button()->parentWidget(), &form_);
    EXPECT_TRUE(late->Button()->isVisible());

    const QPointer<BrowseButton> button = late->Button();
    delete late;
    EXPECT_TRUE(button.isNull());
}

TEST_F(FileNameEditTest, KindsGiveFacesAndHints) {
    struct Row {
        BrowseKind kind;
        QString hint;
        QString caption;
    };
    const std::vector<Row> rows = {
        {BrowseKind::Dots, QStringLiteral("参照"), QStringLiteral("…")},
        {BrowseKind::DropDown, QStringLiteral("メニューを開きます"), QStringLiteral(">")},
        {BrowseKind::Save, QStringLiteral("ファイルを参照します"), QString()},
        {BrowseKind::Directory, QStringLiteral("フォルダを参照します"), QString()},
        {BrowseKind::SelectDirectory, QStringLiteral("作成先を選択します"), QString()},
        {BrowseKind::Open, QStringLiteral("ファイルを参照します"), QString()},
    };
    for (const Row& row : rows) {
        Button().SetKind(row.kind);
        EXPECT_EQ(HintOf(&Button()), row.hint);
        EXPECT_EQ(Button().text(), row.caption);
        EXPECT_EQ(Button().icon().isNull(), !row.caption.isEmpty());
    }
    Button().SetAutoHint(false);
    EXPECT_TRUE(HintOf(&Button()).isEmpty());
    Button().SetKind(BrowseKind::Dots);
    EXPECT_TRUE(HintOf(&Button()).isEmpty());
    EXPECT_EQ(Button().width(), FileNameEdit::ButtonWidth);
    EXPECT_FALSE(edit_->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(FileNameEditTest, BrowsingStartsInTheFolderOfTheLastChoice) {
    std::vector<BrowseRequest> requests;
    std::optional<std::string> answer = "/tmp/Wave/a.wav";
    const BrowserGuard guard([&](QWidget*, const BrowseRequest& request) {
        requests.push_back(request);
        return answer;
    });
    Button().SetInitDir("/start");
    Button().click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, BrowseKind::Open);
    EXPECT_EQ(requests[0].filter, "すべてのファイル (*.*)|*.*");
    EXPECT_EQ(requests[0].initDir, "/start");
    EXPECT_EQ(edit_->FileName(), "/tmp/Wave/a.wav");

    Button().SetFilter("WAVサウンド(*.wav)|*.wav|");
    Button().SetKind(BrowseKind::Save);
    answer.reset();
    Button().click();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].kind, BrowseKind::Save);
    EXPECT_EQ(requests[1].initDir, "/tmp/Wave");
    EXPECT_EQ(requests[1].fileName, "/tmp/Wave/a.wav");
    EXPECT_EQ(requests[1].filter, "WAVサウンド(*.wav)|*.wav|");
    EXPECT_EQ(edit_->FileName(), "/tmp/Wave/a.wav");
}

TEST_F(FileNameEditTest, DotClickCallsOnClickThenOnReferWithoutBrowsing) {
    std::vector<std::string> calls;
    const BrowserGuard guard([&](QWidget*, const BrowseRequest&) {
        calls.push_back("browse");
        return std::optional<std::string>();
    });
    Button().SetKind(BrowseKind::Dots);
    Button().SetOnClick([&] { calls.push_back("click"); });
    Button().SetOnBrowsed([&] { calls.push_back("refer"); });
    Button().click();
    EXPECT_EQ(calls, (std::vector<std::string>{"click", "refer"}));
}

}  // namespace
}  // namespace kairos
