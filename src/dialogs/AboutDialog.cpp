#include "dialogs/AboutDialog.h"

#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "controls/BaseFont.h"
#include "controls/LinkLabel.h"
#include "dialogs/DialogPlacement.h"
#include "media/Media.h"
#include "media/Launcher.h"
#include "platform/VersionInfo.h"
#include "shell/MessageBoxes.h"

#if !defined(KAIROS_WEB_SITE) || !defined(KAIROS_MAIL_ADDRESS)
#error "the build defines the web site and the e-mail address of the about box"
#endif

namespace kairos {
namespace {

constexpr int kIconSize = 32;
constexpr int kNameMaxWidth = 168;
constexpr int kLineMaxWidth = 242;

// A step of reading the version resource that failed; its message is the
// user's.
class VersionLookupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QLabel* NewLabel(QWidget* parent, const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    return label;
}

void FitLabel(QLabel* label, int maxWidth) {
    const QSize hint = label->sizeHint();
    label->resize(std::min(hint.width(), maxWidth), hint.height());
}

std::uint16_t LittleEndian16(std::span<const char> bytes) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) |
                                      static_cast<unsigned char>(bytes[1]) << 8);
}

// "\StringFileInfo\041103A4\" for Japanese in code page 932: the language
// and the code page as 4 upper-case hexadecimal digits each.
std::string StringFileInfoPrefix(std::span<const char> translation) {
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\", unsigned{LittleEndian16(translation)},
                  unsigned{LittleEndian16(translation.subspan(2))});
    return prefix;
}

// A string value holds its terminating NUL.
QString TextOf(std::span<const char> value) {
    const auto end = std::find(value.begin(), value.end(), '\0');
    return QString::fromUtf8(value.data(), end - value.begin());
}

}  // namespace

AboutDialog::AboutDialog(const DialogServices& services, QWidget* owner, std::string executablePath)
    : QDialog(owner), services_(services), executablePath_(std::move(executablePath)) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(BaseFont());
    setFixedSize(ClientWidth, ClientHeight);
    CreatePanel();
    CreateLinks();
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(102, 197, 69, 23);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(1); });
    ShowProgramDetails();
    FitLabels();
}

void AboutDialog::CreatePanel() {
    Panel1 = new QFrame(this);
    Panel1->setGeometry(7, 7, 258, 148);
    // A lowered outer and a raised inner bevel: an etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setGeometry(7, 7, 60, 53);
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProductName = NewLabel(Panel1, "製品名", 81, 15);
    Version = NewLabel(Panel1, "バージョン", 81, 37);
    Copyright = NewLabel(Panel1, "著作権表示", 7, 73);
    Comments = NewLabel(Panel1, "コメント", 7, 95);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void AboutDialog::CreateLinks() {
    Label1 = NewLabel(this, "Webサイト：", 8, 160);
    Label2 = NewLabel(this, "メールアドレス：", 8, 176);
    WebSiteAddress = CreateLink(KAIROS_WEB_SITE, 160);
    WebSiteAddress->SetLinkType(LinkKind::Caption);
    LinkLabel1 = CreateLink(KAIROS_MAIL_ADDRESS, 176);
    LinkLabel1->SetLinkType(LinkKind::MailTo);
}

LinkLabel* AboutDialog::CreateLink(const char* address, int top) {
    auto* link = new LinkLabel(this);
    QFont underlined = font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    link->SetNormalColor(QColor(0x00, 0x00, 0xFF));
    link->setText(QString::fromUtf8(address));
    link->move(91, top);
    link->resize(link->sizeHint());
    Media& media = services_.media;
    link->SetTargetOpener([&media](const std::string& target) { media.ExecuteFile(target, kShowNormally); });
    return link;
}

void AboutDialog::ShowProgramDetails() {
    ProgramIcon->setPixmap(QGuiApplication::windowIcon().pixmap(QSize(kIconSize, kIconSize)));
    ProductName->setText(QGuiApplication::applicationDisplayName());
    try {
        ShowVersionStrings();
    } catch (const VersionLookupError& error) {
        ShowApplicationError(error.what());
    }
}

void AboutDialog::ShowVersionStrings() {
    const std::uint32_t size = platform::GetFileVersionInfoSize(executablePath_);
    if (size == 0) throw VersionLookupError("ファイルバージョンが取得できません");
    std::vector<char> block(size);
    const bool read = platform::GetFileVersionInfo(executablePath_, block);
    // A translation shorter than one entry is as good as none: its numbers
    // would be read from beyond it.
    const std::span<const char> translation = platform::VerQueryValue(block, platform::VersionTranslationPath);
    if (!read || translation.size() < 4) throw VersionLookupError("ファイルバージョン情報の取得に失敗しました。");
    const std::string prefix = StringFileInfoPrefix(translation);
    for (const auto& [name, label] : {std::pair{"ProductVersion", Version}, std::pair{"LegalCopyright", Copyright},
                                      std::pair{"Comments", Comments}}) {
        const std::span<const char> value = platform::VerQueryValue(block, prefix + name);
        if (value.empty())
            throw VersionLookupError(std::string("ファイルバージョン") + name + "が取得できませんでした。");
        label->setText(TextOf(value));
    }
}

void AboutDialog::FitLabels() {
    FitLabel(ProductName, kNameMaxWidth);
    FitLabel(Version, kNameMaxWidth);
    FitLabel(Copyright, kLineMaxWidth);
    // Longer comments are cut off at the bottom.
    Comments->resize(kLineMaxWidth, std::min(Comments->heightForWidth(kLineMaxWidth), CommentsMaxHeight));
    FitLabel(Label1, width());
    FitLabel(Label2, width());
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnOwner(this);
    KeepInWorkArea(this);
}

}  // namespace kairos
