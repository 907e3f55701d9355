#include "controls/BrowseButton.h"

#include "controls/FileNameEdit.h"

#include "controls/BaseFont.h"
#include "controls/Hint.h"

#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMimeData>
#include <QStringList>
#include <QStyle>
#include <QUrl>

#include <string_view>
#include <utility>

namespace kairos {
namespace {

constexpr std::string_view Ellipsis = "...";
constexpr const char* AllFilesFilter = "すべてのファイル (*.*)|*.*";
constexpr const char* DirectoryTitle = "フォルダの参照";
// A dropped name is taken up to the longest path the system has, so that a
// legal path is never cut short.
#ifdef _WIN32
constexpr qsizetype MaxDroppedName = 260;
#else
constexpr qsizetype MaxDroppedName = 4096;
#endif

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t LastSeparator(const std::string& name) { return name.find_last_of("\\/"); }

// "\...\" (or "/.../"), the directory part after all its folders were cut.
bool IsCutRoot(const std::string& dir) {
    return dir.size() == 5 && IsSeparator(dir[0]) && dir.compare(1, 3, Ellipsis) == 0 &&
           IsSeparator(dir[4]);
}

bool StartsWithCut(const std::string& dir) {
    return dir.size() >= 4 && dir.compare(0, 3, Ellipsis) == 0 && IsSeparator(dir[3]);
}

// Replaces the first folder of the directory part with "...".
void CutFirstFolder(std::string& dir) {
    if (dir.size() == 1 && IsSeparator(dir[0])) {
        dir.clear();
        return;
    }
    std::string lead;
    if (IsSeparator(dir[0])) {
        lead = dir.substr(0, 1);
        dir.erase(0, 1);
    }
    if (StartsWithCut(dir)) dir.erase(0, 4);
    const std::size_t next = dir.find_first_of("\\/");
    if (next == std::string::npos) {
        dir.clear();
    } else {
        dir = std::string(Ellipsis) + dir.substr(next);
    }
    dir.insert(0, lead);
}

// The folder of a name, without a trailing separator unless it is a root.
std::string DirectoryOf(const std::string& name) {
    const std::size_t last = LastSeparator(name);
    if (last == std::string::npos) return {};
    const bool driveRoot = last == 2 && name[1] == ':';
    return name.substr(0, last == 0 || driveRoot ? last + 1 : last);
}

QString HintOfKind(BrowseKind kind) {
    switch (kind) {
        case BrowseKind::Dots: return QStringLiteral("参照");
        case BrowseKind::DropDown: return QStringLiteral("メニューを開きます");
        case BrowseKind::Open:
        case BrowseKind::Save: return QStringLiteral("ファイルを参照します");
        case BrowseKind::Directory: return QStringLiteral("フォルダを参照します");
        case BrowseKind::SelectDirectory: return QStringLiteral("作成先を選択します");
    }
    return {};
}

std::optional<QString> FirstLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return std::nullopt;
    return urls.first().toLocalFile();
}

QString LimitedName(QString name) {
    if (name.size() <= MaxDroppedName) return name;
    qsizetype keep = MaxDroppedName;
    if (name.at(keep - 1).isHighSurrogate()) --keep;
    name.truncate(keep);
    return name;
}

// A folder chooser that offers to create the folder the user typed.
class CreatingDirectoryDialog final : public QFileDialog {
public:
    CreatingDirectoryDialog(QWidget* parent, const QString& initDir) : QFileDialog(parent, QString(), initDir) {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
        setOption(QFileDialog::DontUseNativeDialog);
    }

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty() && !QFileInfo::exists(chosen.first()) && !Create(chosen.first())) return;
        QFileDialog::accept();
    }

private:
    bool Create(const QString& dir) {
        const auto answer = QMessageBox::question(
            this, windowTitle(), QStringLiteral("フォルダ %1 は存在しません。作成しますか?").arg(dir));
        if (answer != QMessageBox::Yes) return false;
        if (QDir().mkpath(dir)) return true;
        QMessageBox::warning(this, windowTitle(), QStringLiteral("フォルダ %1 を作成できません。").arg(dir));
        return false;
    }
};

std::optional<std::string> BrowseFile(QWidget* parent, const BrowseRequest& request) {
    QFileDialog dialog(parent);
    const bool save = request.kind == BrowseKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtNameFilter(request.filter.empty() ? AllFilesFilter : request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    const QString fileName = QString::fromStdString(request.fileName);
    if (request.initDir.empty()) {
        if (!fileName.isEmpty()) dialog.selectFile(fileName);
    } else {
        dialog.setDirectory(QString::fromStdString(request.initDir));
        if (!fileName.isEmpty()) dialog.selectFile(QFileInfo(fileName).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> SystemBrowser(QWidget* parent, const BrowseRequest& request) {
    const QString initDir = QString::fromStdString(request.initDir);
    switch (request.kind) {
        case BrowseKind::Open:
        case BrowseKind::Save: return BrowseFile(parent, request);
        case BrowseKind::Directory: {
            const QString dir = QFileDialog::getExistingDirectory(parent, QString::fromUtf8(DirectoryTitle), initDir);
            if (dir.isEmpty()) return std::nullopt;
            return dir.toStdString();
        }
        case BrowseKind::SelectDirectory: {
            CreatingDirectoryDialog dialog(parent, initDir);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
            return dialog.selectedFiles().first().toStdString();
        }
        case BrowseKind::Dots:
        case BrowseKind::DropDown: break;
    }
    return std::nullopt;
}

BrowseButton::Browser& CurrentBrowser() {
    static BrowseButton::Browser browser = SystemBrowser;
    return browser;
}

}  // namespace

std::string ShortenFileName(const std::string& fileName, int maxWidth,
                            const std::function<int(const std::string&)>& widthOf) {
    std::string drive;
    std::string rest = fileName;
    if (rest.size() >= 2 && rest[1] == ':') {
        drive = rest.substr(0, 2);
        rest.erase(0, 2);
    }
    const std::size_t last = LastSeparator(rest);
    std::string dir = last == std::string::npos ? std::string() : rest.substr(0, last + 1);
    const std::string name = last == std::string::npos ? rest : rest.substr(last + 1);

    std::string text = fileName;
    while (widthOf(text) > maxWidth && !(drive.empty() && dir.empty())) {
        if (IsCutRoot(dir)) {
            drive.clear();
            dir = std::string(Ellipsis) + dir[4];
        } else if (dir.empty()) {
            drive.clear();
        } else {
            CutFirstFolder(dir);
        }
        text = drive + dir + name;
    }
    return text;
}

QString QtNameFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString& pattern = parts[i + 1];
        if (description.isEmpty() && pattern.isEmpty()) continue;
        // Dialogs here split patterns at blanks, and "*.*" would hide names
        // without an extension, which Windows counts as matching.
        QStringList patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& one : patterns) {
            one = one.trimmed();
            if (one == QLatin1String("*.*")) one = QStringLiteral("*");
        }
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (description.endsWith(shown)) {
            description.chop(shown.size());
        } else {
            description += QLatin1Char(' ');
        }
        filters << description + QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

BrowseButton::BrowseButton(QWidget* parent) : QPushButton(parent), creationFont_(font()) {
    setAcceptDrops(fileDragable_);
    ResetFace();
    ResetHint();
    connect(this, &QPushButton::clicked, this, &BrowseButton::Click);
}

BrowseButton::~BrowseButton() { Unlink(); }

void BrowseButton::SetKind(BrowseKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    if (autoHint_) SetHint(this, HintOfKind(kind_));
    ResetFace();
}

void BrowseButton::SetAlignButton(ButtonSide align) {
    if (align == alignButton_) return;
    alignButton_ = align;
    PlaceButton();
}

void BrowseButton::SetAutoHint(bool on) {
    if (on == autoHint_) return;
    autoHint_ = on;
    ResetHint();
}

void BrowseButton::SetDeactiveEllipsis(bool on) {
    if (on == deactiveEllipsis_) return;
    deactiveEllipsis_ = on;
    ShowName();
}

void BrowseButton::SetFileDragable(bool on) {
    if (on == fileDragable_) return;
    fileDragable_ = on;
    setAcceptDrops(on);
    if (edit_) edit_->setAcceptDrops(on);
}

void BrowseButton::AssignFileName(const std::string& name) {
    if (name == fileName_) return;
    fileName_ = name;
    if (autoInitDir_) initDir_ = DirectoryOf(name);
    ShowName();
    emit FileNameChanged();
}

void BrowseButton::SetBrowser(Browser browser) {
    CurrentBrowser() = browser ? std::move(browser) : Browser(SystemBrowser);
}

void BrowseButton::LinkTo(FileNameEdit* edit) {
    if (edit == edit_) {
        PlaceButton();
        return;
    }
    Unlink();
    if (edit == nullptr) return;
    edit_ = edit;
    edit->setAcceptDrops(fileDragable_);
    edit->setText(QString::fromStdString(fileName_));
    PlaceButton();
    edit->installEventFilter(this);
    textChanged_ = connect(edit, &QLineEdit::textChanged, this, &BrowseButton::CopyTypedText);
    ShowName();
}

void BrowseButton::Unlink() {
    if (!edit_) return;
    edit_->removeEventFilter(this);
    disconnect(textChanged_);
    edit_ = nullptr;
}

void BrowseButton::dragEnterEvent(QDragEnterEvent* event) {
    if (fileDragable_ && FirstLocalFile(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        QPushButton::dragEnterEvent(event);
    }
}

void BrowseButton::dropEvent(QDropEvent* event) {
    if (!fileDragable_ || !FirstLocalFile(event->mimeData())) {
        QPushButton::dropEvent(event);
        return;
    }
    DropFiles(event->mimeData());
    event->acceptProposedAction();
}

bool BrowseButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_) return QPushButton::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Resize:
        case QEvent::FocusIn:
        case QEvent::FocusOut: ShowName(); break;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (fileDragable_ && FirstLocalFile(drag->mimeData())) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (fileDragable_ && FirstLocalFile(drop->mimeData())) {
                DropFiles(drop->mimeData());
                drop->acceptProposedAction();
                return true;
            }
            break;
        }
        default: break;
    }
    return QPushButton::eventFilter(watched, event);
}

void BrowseButton::Click() {
    if (onClick_) onClick_();
    switch (kind_) {
        case BrowseKind::Dots:
            if (onBrowsed_) onBrowsed_();
            return;
        case BrowseKind::DropDown:
            if (dropDownMenu_) dropDownMenu_->popup(QCursor::pos());
            return;
        case BrowseKind::Open:
        case BrowseKind::Save:
        case BrowseKind::Directory:
        case BrowseKind::SelectDirectory: break;
    }
    const BrowseRequest request{kind_, fileName_, filter_.empty() ? AllFilesFilter : filter_, defaultExt_, initDir_};
    // A copy, so a browser that replaces itself while it runs stays alive.
    const Browser browser = CurrentBrowser();
    QWidget* owner = edit_ ? static_cast<QWidget*>(edit_) : this;
    if (const auto chosen = browser(owner->window(), request)) AssignFileName(*chosen);
}

void BrowseButton::ResetFace() {
    switch (kind_) {
        case BrowseKind::Dots:
        case BrowseKind::DropDown:
            setIcon(QIcon());
            setFont(creationFont_);
            setText(kind_ == BrowseKind::Dots ? QStringLiteral("…") : QStringLiteral(">"));
            return;
        case BrowseKind::Open:
        case BrowseKind::Save:
            setText(QString());
            setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
            return;
        case BrowseKind::Directory:
        case BrowseKind::SelectDirectory:
            setText(QString());
            setIcon(style()->standardIcon(QStyle::SP_DirClosedIcon));
            return;
    }
}

void BrowseButton::ResetHint() {
    if (autoHint_) {
        SetHint(this, HintOfKind(kind_));
    } else if (HintOf(this) == HintOfKind(kind_)) {
        // Only the hint the button gave itself goes; one set by hand stays.
        SetHint(this, QString());
    }
}

void BrowseButton::PlaceButton() {
    if (!edit_) return;
    const QRect bounds = edit_->geometry();
    const int width = FileNameEdit::ButtonWidth;
    const int left = alignButton_ == ButtonSide::Right ? bounds.x() + bounds.width() + 1 : bounds.x() - width;
    setGeometry(left, bounds.y(), width, bounds.height());
}

void BrowseButton::ShowName() {
    if (!edit_) return;
    QString shown = QString::fromStdString(fileName_);
    if (!edit_->hasFocus() && deactiveEllipsis_) {
        // Measured in the face every such edit uses, not in the edit's own
        // font, so the shortening agrees with what the dialogs were laid out for.
        const QFontMetrics metrics(BaseFont());
        const auto widthOf = [&metrics](const std::string& text) {
            return metrics.horizontalAdvance(QString::fromStdString(text));
        };
        const int limit = edit_->contentsRect().width() - 2;
        shown = QString::fromStdString(ShortenFileName(fileName_, limit, widthOf));
    }
    // Setting the same text again would move the cursor of someone typing.
    if (edit_->text() != shown) edit_->setText(shown);
}

void BrowseButton::CopyTypedText() {
    // Only what the user types counts; the shortened text is never the name.
    if (!edit_ || !edit_->hasFocus()) return;
    std::string typed = edit_->text().toStdString();
    if (typed == fileName_) return;
    fileName_ = std::move(typed);
    emit FileNameChanged();
}

void BrowseButton::DropFiles(const QMimeData* data) {
    if (const auto file = FirstLocalFile(data)) AssignFileName(LimitedName(*file).toStdString());
}

}  // namespace kairos
