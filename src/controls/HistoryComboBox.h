#pragma once
// An editable combo box whose drop-down list is a most-recent-first history
// that persists between runs: a text is added when the dialog holding the box
// closes with a positive result, and the history is saved at once.

#include <QComboBox>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;

namespace kairos {

class IniStore;

enum class HistoryStore { OwnIniFile, IniFile, TextFile, Registry };

class HistoryComboBox final : public QComboBox {
    Q_OBJECT
public:
    using StoreOpener = std::function<std::unique_ptr<IniStore>()>;
    // Shows the message of a store that could not be written.
    using ErrorReporter = std::function<void(const std::string& message)>;

    explicit HistoryComboBox(QWidget* parent = nullptr);
    ~HistoryComboBox() override;

    bool CountChangable() const { return countChangable_; }
    void SetCountChangable(bool on) { countChangable_ = on; }
    int HistoryCount() const { return historyCount_; }
    void SetHistoryCount(int count) { historyCount_ = count; }
    const std::string& SaveFileName() const { return saveFileName_; }
    void SetSaveFileName(std::string name) { saveFileName_ = std::move(name); }
    const std::string& SaveSection() const { return saveSection_; }
    void SetSaveSection(std::string section) { saveSection_ = std::move(section); }
    HistoryStore SaveType() const { return saveType_; }
    void SetSaveType(HistoryStore type) { saveType_ = type; }
    // How HistoryStore::OwnIniFile opens the program's settings file; OpenSettings unless set.
    void SetSelfIniOpener(StoreOpener opener) { selfIniOpener_ = std::move(opener); }
    // A critical message box unless set; the owner may pass the application's error box.
    void SetErrorReporter(ErrorReporter reporter) { errorReporter_ = std::move(reporter); }

    // A store that cannot be read loads an empty history.
    void LoadHistory();
    void AddHistory(const std::string& text);
    void TrimHistory();
    // Throws IniFileError when the store cannot be read or written; the
    // file is then unchanged.
    void SaveHistory();

    // The list items, most recent first.
    std::vector<std::string> Entries() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void WatchDialog();
    void DialogFinished(int result);
    std::unique_ptr<IniStore> OpenStore() const;
    std::vector<std::string> ReadStoredLines();
    std::vector<std::string> ReadIniLines();
    void WriteIniStore(const std::vector<std::string>& entries) const;
    void WriteTextFile(const std::vector<std::string>& entries) const;

    bool countChangable_ = true;
    int historyCount_ = 10;
    std::string saveFileName_;
    std::string saveSection_ = "History";
    HistoryStore saveType_ = HistoryStore::OwnIniFile;
    StoreOpener selfIniOpener_;
    ErrorReporter errorReporter_;
    QPointer<QDialog> watchedDialog_;
};

}  // namespace kairos
