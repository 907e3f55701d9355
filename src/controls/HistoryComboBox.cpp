#include "controls/HistoryComboBox.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include <algorithm>

#include "platform/AtomicFile.h"
#include "settings/IniStore.h"
#include "settings/FolderMacros.h"
#include "platform/AsciiCase.h"

namespace kairos {
namespace {

constexpr std::string_view CountKey = "HistoryCount";

// OK, Yes, All and Yes to all: the results with which a dialog confirms what
// it shows.
bool IsPositiveResult(int result) {
    return result == QDialog::Accepted || result == 6 || result == 8 || result == 10;
}

bool StartsWithDigit(std::string_view line) {
    return !line.empty() && line.front() >= '0' && line.front() <= '9';
}

bool LineNamed(std::string_view line, std::string_view name) {
    const std::size_t equals = line.find('=');
    return equals == name.size() && SameIgnoringAsciiCase(line.substr(0, equals), name);
}

std::string ValueOf(const std::string& line) {
    return line.substr(line.find('=') + 1);
}

// Neither store can hold a line break inside an entry: in the settings file
// it would start a line of its own, possibly a key or section of the clock.
std::string OneLine(std::string entry) {
    std::replace_if(entry.begin(), entry.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return entry;
}

[[noreturn]] void ThrowFileError(const std::string& fileName, int error, std::string_view ending) {
    throw IniFileError("ファイル \"" + fileName + "\". " + platform::ErrorText(error) + " " + std::string(ending));
}

// A missing file is an empty history.
std::vector<std::string> ReadTextLines(const std::string& fileName) {
    std::string bytes;
    const int error = platform::SystemFileOps().ReadAll(fileName, bytes);
    if (platform::IsNoSuchFile(error)) return {};
    if (error != 0) ThrowFileError(fileName, error, "は開けません");
    std::vector<std::string> lines;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return lines;
}

// Changing the list must leave the text being edited as it is, and no item
// selected, so that picking any item from the list takes its text.
class EditTextKeeper {
public:
    explicit EditTextKeeper(QComboBox& box) : box_(box), text_(box.currentText()) {}
    ~EditTextKeeper() {
        box_.setCurrentIndex(-1);
        box_.setEditText(text_);
    }
    EditTextKeeper(const EditTextKeeper&) = delete;
    EditTextKeeper& operator=(const EditTextKeeper&) = delete;

private:
    QComboBox& box_;
    QString text_;
};

}  // namespace

HistoryComboBox::HistoryComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // The history changes only when the dialog is confirmed, not on Enter.
    setInsertPolicy(QComboBox::NoInsert);
}

HistoryComboBox::~HistoryComboBox() = default;

std::unique_ptr<IniStore> HistoryComboBox::OpenStore() const {
    if (saveType_ == HistoryStore::OwnIniFile) return selfIniOpener_ ? selfIniOpener_() : OpenSettings();
    return OpenIniFile(saveFileName_);
}

void HistoryComboBox::LoadHistory() {
    std::vector<std::string> lines;
    try {
        lines = ReadStoredLines();
    } catch (const IniFileError&) {
        // An unreadable store shows no history; saving opens it again and
        // reports the failure then, without having touched the file.
    }
    {
        const EditTextKeeper keeper(*this);
        clear();
        for (const std::string& line : lines) addItem(QString::fromStdString(line));
    }
    TrimHistory();
}

std::vector<std::string> HistoryComboBox::ReadStoredLines() {
    switch (saveType_) {
        case HistoryStore::OwnIniFile:
        case HistoryStore::IniFile: return ReadIniLines();
        case HistoryStore::TextFile: return ReadTextLines(ExpandFolderMacros(saveFileName_));
        case HistoryStore::Registry: break;  // no registry here: nothing is stored
    }
    return {};
}

std::vector<std::string> HistoryComboBox::ReadIniLines() {
    std::vector<std::string> lines = OpenStore()->ReadSectionValues(saveSection_);
    const auto count = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& line) { return LineNamed(line, CountKey); });
    if (count != lines.end()) {
        if (countChangable_) historyCount_ = ParseInteger(ValueOf(*count)).value_or(historyCount_);
        lines.erase(count);
    }
    // Lines of other names are kept whole: a hand-edited section shows what it holds.
    for (std::string& line : lines)
        if (StartsWithDigit(line)) line = ValueOf(line);
    return lines;
}

void HistoryComboBox::AddHistory(const std::string& text) {
    const QString entry = QString::fromStdString(text);
    {
        const EditTextKeeper keeper(*this);
        for (int i = count() - 1; i >= 0; --i)
            if (itemText(i).compare(entry, Qt::CaseInsensitive) == 0) removeItem(i);
        insertItem(0, entry);
    }
    TrimHistory();
}

void HistoryComboBox::TrimHistory() {
    const EditTextKeeper keeper(*this);
    while (count() > std::max(historyCount_, 0)) removeItem(count() - 1);
}

void HistoryComboBox::SaveHistory() {
    const std::vector<std::string> entries = Entries();
    switch (saveType_) {
        case HistoryStore::OwnIniFile:
        case HistoryStore::IniFile: WriteIniStore(entries); break;
        case HistoryStore::TextFile: WriteTextFile(entries); break;
        case HistoryStore::Registry: break;  // no registry here: nothing is stored
    }
}

void HistoryComboBox::WriteIniStore(const std::vector<std::string>& entries) const {
    const std::unique_ptr<IniStore> store = OpenStore();
    store->EraseSection(saveSection_);
    if (countChangable_) store->WriteString(saveSection_, CountKey, std::to_string(historyCount_));
    for (std::size_t i = 0; i < entries.size(); ++i)
        store->WriteString(saveSection_, std::to_string(i + 1), OneLine(entries[i]));
    store->SaveToDisk();
}

void HistoryComboBox::WriteTextFile(const std::vector<std::string>& entries) const {
    std::string bytes;
    for (const std::string& entry : entries) bytes += OneLine(entry) + '\n';
    const std::string fileName = ExpandFolderMacros(saveFileName_);
    if (const int error = platform::ReplaceFile(platform::SystemFileOps(), fileName, bytes))
        ThrowFileError(fileName, error, "を作成できません");
}

std::vector<std::string> HistoryComboBox::Entries() const {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) entries.push_back(itemText(i).toStdString());
    return entries;
}

void HistoryComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    WatchDialog();
}

// The history is kept when the dialog holding the box is confirmed; the dialog
// is known only once the box sits in its window.
void HistoryComboBox::WatchDialog() {
    auto* dialog = qobject_cast<QDialog*>(window());
    if (dialog == nullptr || dialog == watchedDialog_) return;
    if (watchedDialog_) disconnect(watchedDialog_, &QDialog::finished, this, nullptr);
    watchedDialog_ = dialog;
    connect(dialog, &QDialog::finished, this, &HistoryComboBox::DialogFinished);
}

void HistoryComboBox::DialogFinished(int result) {
    const std::string text = currentText().toStdString();
    if (!IsPositiveResult(result) || text.empty()) return;
    AddHistory(text);
    try {
        SaveHistory();
    } catch (const IniFileError& error) {
        if (errorReporter_) {
            errorReporter_(error.what());
        } else {
            QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(),
                                  QString::fromStdString(error.what()));
        }
    }
}

}  // namespace kairos
