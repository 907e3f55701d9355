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
