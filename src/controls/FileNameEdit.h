#pragma once
// A one-line edit for a file name with a browse button glued to its side.
// The edit shows the full name while it has the focus and the name shortened
// with "..." otherwise; the name itself is kept apart from what is shown.

#include <QLineEdit>
#include <QPointer>

#include <string>

#include "controls/BrowseButton.h"

namespace kairos {

class FileNameEdit final : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 23;

    explicit FileNameEdit(QWidget* parent = nullptr);
    ~FileNameEdit() override;

    BrowseButton* Button() const { return button_; }

    // The chosen name, not the shown text; empty without a button.
    std::string FileName() const;
    void SetFileName(const std::string& name);

    // Showing or hiding the edit shows or hides its button.
    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FollowParent();
    void SyncButtonVisibility();

    QPointer<BrowseButton> button_;
};

}  // namespace kairos
