#pragma once
// The "バージョン情報" window: the program's icon and title, the version,
// copyright and comments read from the version resource of its own file, and
// links to the web site and the e-mail address.

#include <QDialog>

#include <string>

#include "dialogs/DialogServices.h"
#include "platform/ProgramFile.h"

class QFrame;
class QLabel;
class QPushButton;

namespace kairos {

class LinkLabel;

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 273;
    static constexpr int ClientHeight = 226;
    static constexpr int CommentsMaxHeight = 46;

    // A version resource that cannot be read is reported in the
    // application's error box; the dialog still opens.
    explicit AboutDialog(const DialogServices& services, QWidget* owner = nullptr,
                         std::string executablePath = platform::ExecutablePath());

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Label1 = nullptr;
    LinkLabel* WebSiteAddress = nullptr;
    QLabel* Label2 = nullptr;
    LinkLabel* LinkLabel1 = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreatePanel();
    void CreateLinks();
    LinkLabel* CreateLink(const char* address, int top);
    void ShowProgramDetails();
    void ShowVersionStrings();
    void FitLabels();

    DialogServices services_;
    std::string executablePath_;
};

}  // namespace kairos
