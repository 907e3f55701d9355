# The tests that run under wine: the core's, and the Windows platform
# layer's own. Every program is a Windows executable that CTest starts
# through wine (CMAKE_CROSSCOMPILING_EMULATOR) in a private prefix.

kairos_add_tests(platform_tests
  SOURCES platform/MomentTest.cpp platform/Utf8Test.cpp
  LIBS platform)

kairos_add_tests(settings_tests
  SOURCES settings/IniDocumentTest.cpp settings/SettingsFileTest.cpp
  LIBS settings)

kairos_add_tests(clocktext_tests
  SOURCES clocktext/FormatMomentTest.cpp clocktext/LocaleFormatSettingsTest.cpp
          clocktext/RenderTemplateTest.cpp clocktext/MultiReplaceTest.cpp
          clocktext/TemplateChangeTest.cpp
  LIBS clocktext)

kairos_add_tests(alarms_tests
  SOURCES alarms/AlarmTest.cpp alarms/AlarmTimeTest.cpp alarms/MissedAlarmsTest.cpp
  LIBS alarms)

kairos_add_tests(nettime_tests
  SOURCES nettime/ServerAddressTest.cpp nettime/SntpPacketTest.cpp nettime/ClockSyncTextTest.cpp
  LIBS nettime)

# Files, folders, the program file and the single-instance lock.
target_sources(platform_tests PRIVATE
  platform/PathNamesTest.cpp
  platform/win32/AtomicFileTest.cpp
  platform/win32/FoldersTest.cpp
  platform/win32/InstanceLockTest.cpp
)
# Takes the instance lock in a process of its own; the test finds it beside
# itself.
add_executable(instance_lock_holder platform/win32/InstanceLockHolder.cpp)
target_link_libraries(instance_lock_holder PRIVATE platform)
add_dependencies(platform_tests instance_lock_holder)
target_sources(settings_tests PRIVATE
  settings/FolderMacrosTest.cpp
  settings/IniFileDiskTest.cpp
)
