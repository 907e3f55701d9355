#pragma once
// The browse button of a file name edit: opens the file, save or folder
// dialog of its kind, takes dropped files, and keeps the chosen name, which
// its edit shows shortened with "..." while it has no focus.

#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QMimeData;

namespace kairos {

enum class BrowseKind { Dots, DropDown, Open, Save, Directory, SelectDirectory };
enum class ButtonSide { Left, Right };

// The file name shortened step by step with "..." until it is at most
// maxWidth wide by the measure; the file name itself is never cut. Both "\"
// and "/" separate folders.
std::string ShortenFileName(const std::string& fileName, int maxWidth,
                            const std::function<int(const std::string&)>& widthOf);

// The button's filter "description|pattern|..." as a file dialog's name
// filters "description (pattern);;...".
QString QtNameFilter(const std::string& filter);

// What a browse asks the user for.
struct BrowseRequest {
    BrowseKind kind = BrowseKind::Open;
    std::string fileName;
    std::string filter;  // "description|pattern|..." as the button holds it
    std::string defaultExt;
    std::string initDir;
};

class FileNameEdit;

class BrowseButton final : public QPushButton {
    Q_OBJECT
public:
    // Shows the dialog of the request's kind; empty when the user cancels.
    using Browser = std::function<std::optional<std::string>(QWidget* parent, const BrowseRequest& request)>;

    explicit BrowseButton(QWidget* parent = nullptr);
    ~BrowseButton() override;

    BrowseKind Kind() const { return kind_; }
    void SetKind(BrowseKind kind);
    ButtonSide AlignButton() const { return alignButton_; }
    void SetAlignButton(ButtonSide align);
    bool AutoHint() const { return autoHint_; }
    void SetAutoHint(bool on);
    bool AutoInitDir() const { return autoInitDir_; }
    void SetAutoInitDir(bool on) { autoInitDir_ = on; }
    bool DeactiveEllipsis() const { return deactiveEllipsis_; }
    void SetDeactiveEllipsis(bool on);
    bool FileDragable() const { return fileDragable_; }
    void SetFileDragable(bool on);

    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(std::string ext) { defaultExt_ = std::move(ext); }
    const std::string& InitDir() const { return initDir_; }
    void SetInitDir(std::string dir) { initDir_ = std::move(dir); }
    QMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(QMenu* menu) { dropDownMenu_ = menu; }
    void SetOnBrowsed(std::function<void()> handler) { onBrowsed_ = std::move(handler); }
    void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    const std::string& FileName() const { return fileName_; }
    void AssignFileName(const std::string& name);

    // The dialogs every button uses; tests put their own in, an empty one
    // brings the system dialogs back.
    static void SetBrowser(Browser browser);

    // Links the button to the edit it serves: placed beside it, showing its name.
    void LinkTo(FileNameEdit* edit);

signals:
    // The chosen name changed: browsed, dropped, typed or set.
    void FileNameChanged();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class FileNameEdit;

    void Click();
    void ResetFace();
    void ResetHint();
    void PlaceButton();
    void ShowName();
    void CopyTypedText();
    void DropFiles(const QMimeData* data);
    void Unlink();

    BrowseKind kind_ = BrowseKind::Open;
    ButtonSide alignButton_ = ButtonSide::Right;
    bool autoHint_ = true;
    bool autoInitDir_ = true;
    bool deactiveEllipsis_ = true;
    bool fileDragable_ = true;
    std::string filter_;
    std::string defaultExt_;
    std::string initDir_;
    QPointer<QMenu> dropDownMenu_;
    std::function<void()> onBrowsed_;
    std::function<void()> onClick_;
    std::string fileName_;
    QFont creationFont_;
    QPointer<FileNameEdit> edit_;
    QMetaObject::Connection textChanged_;
};

}  // namespace kairos
