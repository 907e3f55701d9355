#include "platform/SoundTheme.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace kairos::platform {
namespace {

// One tree in which each lookup rule decides a different alias:
// home/sounds is $XDG_DATA_HOME with the user's theme "mine"; a/sounds and
// b/sounds are $XDG_DATA_DIRS.
class SoundThemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.Set("XDG_DATA_HOME", dir_.File("home"));
        env_.Set("XDG_DATA_DIRS", dir_.File("a") + ":relative/ignored:" + dir_.File("b"));
        env_.Set("XDG_CONFIG_HOME", dir_.File("config"));
        Put("config/gtk-3.0/settings.ini", "[Settings]\ngtk-sound-theme-name = mine\n");
        Put("home/sounds/mine/index.theme",
            "[Sound Theme]\nInherits=middle\nDirectories=stereo,surround\n[surround]\nOutputProfile=5.1\n");
        for (const char* file : {"mine/stereo/dialog-warning.wav", "mine/stereo/dialog-error.disabled",
                                 "mine/surround/bell.wav", "freedesktop/stereo/dialog-information.wav"})
            Put(std::string("home/sounds/") + file);
        Put("a/sounds/middle/index.theme", "[Sound Theme]\nInherits=mine\nDirectories=stereo\n");
        Put("a/sounds/freedesktop/index.theme", "[Sound Theme]\nDirectories=stereo\n[stereo]\nOutputProfile=stereo\n");
        for (const char* file : {"middle/stereo/window-minimized.wav", "middle/stereo/window-minimized.oga",
                                 "freedesktop/stereo/dialog-warning.oga", "freedesktop/stereo/dialog-error.oga",
                                 "freedesktop/stereo/dialog-information.oga", "freedesktop/stereo/bell.oga",
                                 "freedesktop/stereo/window-question.oga", "freedesktop/stereo/message.oga"})
            Put(std::string("a/sounds/") + file);
        Put("b/sounds/device-added.wav");
    }

    void Put(const std::string& relative, const std::string& text = "sound") {
        std::filesystem::create_directories(std::filesystem::path(dir_.File(relative)).parent_path());
        dir_.Write(relative, text);
    }

    testing::TempDir dir_;
    testing::ScopedEnvironment env_;
};

struct LookupCase {
    const char* alias;
    const char* expected;  // below the temp folder; empty: no sound
};

std::ostream& operator<<(std::ostream& out, const LookupCase& param) {
    return out << '"' << param.alias << '"';
}

class EventSoundFileTest : public SoundThemeTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(EventSoundFileTest, FindsTheSoundTheRulesPick) {
    const std::string expected = *GetParam().expected ? dir_.File(GetParam().expected) : "";
    EXPECT_EQ(EventSoundFile(GetParam().alias), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EventSoundFileTest,
    ::testing::Values(
        // the user's theme before freedesktop; aliases ignore case
        LookupCase{"SystemExclamation", "home/sounds/mine/stereo/dialog-warning.wav"},
        LookupCase{"SYSTEMEXCLAMATION", "home/sounds/mine/stereo/dialog-warning.wav"},
        // a ".disabled" marker silences the inherited sound
        LookupCase{"SystemHand", ""},
        // only folders of the stereo output profile count
        LookupCase{"SystemDefault", "a/sounds/freedesktop/stereo/bell.oga"},
        // $XDG_DATA_HOME before $XDG_DATA_DIRS, even for a theme indexed only there
        LookupCase{"SystemAsterisk", "home/sounds/freedesktop/stereo/dialog-information.wav"},
        // inherited (through a cycle that must end), .oga before .wav
        LookupCase{"Minimize", "a/sounds/middle/stereo/window-minimized.oga"},
        // the alias's second name
        LookupCase{"SystemQuestion", "a/sounds/freedesktop/stereo/window-question.oga"},
        // "message-new-email" falls back to "message"
        LookupCase{"MailBeep", "a/sounds/freedesktop/stereo/message.oga"},
        // an unthemed file directly in a sounds folder
        LookupCase{"DeviceConnect", "b/sounds/device-added.wav"},
        // a freedesktop name as it is
        LookupCase{"bell", "a/sounds/freedesktop/stereo/bell.oga"}, LookupCase{"RestoreUp", ""},
        LookupCase{"../freedesktop/stereo/bell", ""}, LookupCase{"", ""}));

TEST_F(SoundThemeTest, UserThemeComesFromGtk4ThenGtk3ThenKde) {
    Put("config/gtk-4.0/settings.ini", "[Settings]\ngtk-sound-theme-name=four\n");
    Put("config/gtk-3.0/settings.ini", "[Other]\ngtk-sound-theme-name=no\n[Settings]\ngtk-sound-theme-name=three\n");
    Put("config/kdeglobals", "[General]\nTheme=no\n[Sounds]\nTheme=ocean\n");
    for (const char* expected : {"four", "three", "ocean"}) {
        EXPECT_EQ(UserSoundTheme(), expected);
        for (const char* file : {"config/gtk-4.0/settings.ini", "config/gtk-3.0/settings.ini", "config/kdeglobals"}) {
            if (std::filesystem::remove(dir_.File(file))) break;
        }
    }
    EXPECT_EQ(UserSoundTheme(), "freedesktop");
    Put("config/kdeglobals", "[Sounds]\nTheme=../mine\n");
    EXPECT_EQ(UserSoundTheme(), "freedesktop");
}

}  // namespace
}  // namespace kairos::platform
