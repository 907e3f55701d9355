#include "controls/HistoryComboBox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDialog>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/IniStore.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::TempDir;

std::string Numbered(int count, const std::string& prefix = "m") {
    std::string lines;
    for (int i = 1; i <= count; ++i) lines += std::to_string(i) + "=" + prefix + std::to_string(i) + "\n";
    return lines;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HistoryBox : public ::testing::Test {
protected:
    HistoryBox() {
        box->SetSaveSection("AlarmMessages");
        box->SetSelfIniOpener([this] { return std::make_unique<IniStore>(settings); });
        box->SetErrorReporter([this](const std::string& message) { errors.push_back(message); });
    }

    void Store(const std::string& section) {
        dir.Write("kairos.ini", "[General]\nTopMost=1\n[AlarmMessages]\n" + section);
    }

    std::vector<std::string> Loaded(const std::string& section) {
        Store(section);
        box->LoadHistory();
        return box->Entries();
    }

    void Close(const std::string& text, int result) {
        form.show();
        box->setEditText(QString::fromStdString(text));
        form.done(result);
    }

    std::vector<std::string> Section() const { return IniDocument(settings).ReadSectionValues("AlarmMessages"); }

    TempDir dir;
    std::string settings = dir.File("kairos.ini");
    QDialog form;
    HistoryComboBox* box = new HistoryComboBox(&form);
    std::vector<std::string> errors;
};

TEST_F(HistoryBox, ConfirmedMessageTakesTheTopAndTheOldestGoes) {
    Store("HistoryCount=10\n" + Numbered(10));
    box->LoadHistory();
    Close("新しいメッセージ", QDialog::Accepted);
    std::vector<std::string> expected{"HistoryCount=10", "1=新しいメッセージ"};
    for (int i = 1; i <= 9; ++i) expected.push_back(std::to_string(i + 1) + "=m" + std::to_string(i));
    EXPECT_THAT(Section(), ElementsAreArray(expected));
    EXPECT_EQ(IniDocument(settings).ReadString("General", "TopMost", "-"), "1");
    EXPECT_TRUE(errors.empty());
}

TEST_F(HistoryBox, AnEntryOfOtherLetterCaseMovesUpInTheNewCase) {
    Store("HistoryCount=10\n1=one\n2=two\n3=three\n4=Wake Up\n5=five\n");
    box->LoadHistory();
    Close("WAKE up", 6);
    EXPECT_THAT(Section(), ElementsAre("HistoryCount=10", "1=WAKE up", "2=one", "3=two", "4=three", "5=five"));
}

struct CloseCase {
    const char* name;
    int result;
    std::string text;
    bool kept;
};

class Closing : public HistoryBox, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(Closing, KeepsTheTextOnlyForAPositiveResult) {
    Store("HistoryCount=10\n1=old\n");
    const std::string before = FileBytes(settings);
    box->LoadHistory();
    Close(GetParam().text, GetParam().result);
    if (GetParam().kept)
        EXPECT_THAT(Section(), ElementsAre("HistoryCount=10", "1=" + GetParam().text, "2=old"));
    else
        EXPECT_EQ(FileBytes(settings), before);
}

INSTANTIATE_TEST_SUITE_P(HistoryComboBox, Closing,
                         ::testing::Values(CloseCase{"Ok", 1, "a", true}, CloseCase{"Yes", 6, "a", true},
                                           CloseCase{"All", 8, "a", true}, CloseCase{"YesToAll", 10, "a", true},
                                           CloseCase{"Cancel", 2, "a", false}, CloseCase{"Closed", 0, "a", false},
                                           CloseCase{"No", 7, "a", false}, CloseCase{"OkButEmpty", 1, "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LoadCase {
    const char* name;
    std::string section;
    bool countChangable;
    std::vector<std::string> entries;
    int count;
};

class Loading : public HistoryBox, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(Loading, ReadsTheSection) {
    box->SetCountChangable(GetParam().countChangable);
    EXPECT_THAT(Loaded(GetParam().section), ElementsAreArray(GetParam().entries));
    EXPECT_EQ(box->HistoryCount(), GetParam().count);
    EXPECT_EQ(box->currentText(), "") << "loading leaves the text alone";
}

INSTANTIATE_TEST_SUITE_P(
    HistoryComboBox, Loading,
    ::testing::Values(LoadCase{"CapacityCutsTheList", "HistoryCount=3\n" + Numbered(5), true, {"m1", "m2", "m3"}, 3},
                      LoadCase{"FixedCapacityIgnoresTheKey", "historycount=3\n" + Numbered(5), false,
                               {"m1", "m2", "m3", "m4", "m5"}, 10},
                      LoadCase{"OtherNamesStayWhole", "1=a\nabc=def\n2=b\n", true, {"a", "abc=def", "b"}, 10},
                      LoadCase{"UnreadableCountKeepsTheCapacity", "HistoryCount=many\n1=a\n", true, {"a"}, 10},
                      LoadCase{"ZeroCapacityEmpties", "HistoryCount=0\n1=a\n", true, {}, 0},
                      LoadCase{"EmptySection", "", true, {}, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HistoryBox, MissingFileLoadsNothing) {
    box->LoadHistory();
    EXPECT_TRUE(box->Entries().empty());
}

TEST_F(HistoryBox, WriteFailureIsReportedAndTheFormStillCloses) {
    settings = dir.File("missing-folder/kairos.ini");
    Close("a", QDialog::Accepted);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors[0], HasSubstr(settings));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(HistoryBox, ALineBreakCannotReachTheStoreAsALine) {
    Close("a\r\n[General]\nTopMost=0", QDialog::Accepted);
    EXPECT_THAT(Section(), ElementsAre("HistoryCount=10", "1=a  [General] TopMost=0"));
    EXPECT_EQ(IniDocument(settings).ReadString("General", "TopMost", "-"), "-");
}

TEST_F(HistoryBox, TextFileHoldsOneEntryALine) {
    box->SetSaveType(HistoryStore::TextFile);
    box->SetSaveFileName(dir.File("history.txt"));
    box->LoadHistory();
    EXPECT_TRUE(box->Entries().empty());
    dir.Write("history.txt", "first\r\nsecond\nthird");
    box->LoadHistory();
    Close("new", QDialog::Accepted);
    EXPECT_EQ(FileBytes(dir.File("history.txt")), "new\nfirst\nsecond\nthird\n");
}

TEST_F(HistoryBox, RegistryStoresNothing) {
    box->SetSaveType(HistoryStore::Registry);
    box->addItem("kept until loaded");
    box->LoadHistory();
    EXPECT_TRUE(box->Entries().empty());
    Close("a", QDialog::Accepted);
    EXPECT_THAT(box->Entries(), ElementsAre("a"));
    EXPECT_FALSE(std::filesystem::exists(settings));
}

}  // namespace
}  // namespace kairos
