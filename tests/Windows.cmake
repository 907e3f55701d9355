# The tests that run under wine: the core's, and the Windows platform
# layer's own. Every program is a Windows executable that CTest starts
# through wine (CMAKE_CROSSCOMPILING_EMULATOR) in a private prefix.

kairos_add_tests(platform_tests
  SOURCES platform/MomentTest.cpp platform/Utf8Test.cpp
  LIBS platform)

# Locale values, code page 932, version resources and the user's registry.
target_sources(platform_tests PRIVATE
  platform/TextEncodingTest.cpp
  platform/VersionInfoTest.cpp
  platform/win32/LocaleSourceTest.cpp
  platform/win32/UserRegistryTest.cpp
)
# Programs that only carry a version resource, made from the real program's
# template: one with every string, one without the comments.
include(${PROJECT_SOURCE_DIR}/cmake/VersionResource.cmake)
function(kairos_add_versioned_program name comments)
  kairos_configure_version_resource(${CMAKE_CURRENT_BINARY_DIR}/${name}.rc
    ${KAIROS_TEST_VERSION} "${KAIROS_TEST_COPYRIGHT}" "${comments}")
  add_executable(${name} platform/VersionedProgram.cpp ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc)
endfunction()
kairos_add_versioned_program(versioned_program "${KAIROS_TEST_COMMENTS}")
kairos_add_versioned_program(versioned_program_without_comments "")
target_compile_definitions(platform_tests PRIVATE
  KAIROS_VERSIONED_PROGRAM="$<TARGET_FILE:versioned_program>"
  KAIROS_VERSIONED_PROGRAM_WITHOUT_COMMENTS="$<TARGET_FILE:versioned_program_without_comments>"
  KAIROS_TEST_VERSION="${KAIROS_TEST_VERSION}" KAIROS_TEST_COPYRIGHT="${KAIROS_TEST_COPYRIGHT}"
  KAIROS_TEST_COMMENTS="${KAIROS_TEST_COMMENTS}")
add_dependencies(platform_tests versioned_program versioned_program_without_comments)

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

# Wine takes the time zone from TZ when a program starts, and the system's
# zone is what the clock's local time follows on Windows; the programs whose
# cases need a zone with daylight saving start in Berlin's.
set(KAIROS_WINE_RUN ${CMAKE_CROSSCOMPILING_EMULATOR})
set(CMAKE_CROSSCOMPILING_EMULATOR env TZ=Europe/Berlin ${KAIROS_WINE_RUN})

kairos_add_tests(nettime_tests
  SOURCES nettime/ServerAddressTest.cpp nettime/SntpPacketTest.cpp nettime/ClockSyncTextTest.cpp
          # transport and exchanges over the loopback addresses; the chronyd
          # cases skip unless scripts/start-chronyd.sh runs
          platform/UdpSocketTest.cpp nettime/SntpExchangeTest.cpp nettime/SntpChronyTest.cpp
  LIBS nettime)

# The Windows clock and clock setter.
kairos_add_tests(platform_clock_tests
  SOURCES platform/win32/ClockTest.cpp platform/win32/SystemTimeTest.cpp platform/win32/ClockPrivilegeTest.cpp
    platform/WallClockTimerTest.cpp
  LIBS platform platform_clock_setter)

set(CMAKE_CROSSCOMPILING_EMULATOR ${KAIROS_WINE_RUN})

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

# Processes, the launcher and sound on Windows. child_program is what the
# process and launcher tests start; it sits beside them.
add_executable(child_program platform/win32/ChildProgram.cpp)
target_link_options(child_program PRIVATE -municode)

kairos_add_tests(platform_win32_process_tests
  SOURCES platform/win32/ProcessTest.cpp platform/win32/LauncherTest.cpp
  LIBS media)
add_dependencies(platform_win32_process_tests child_program)

kairos_add_tests(media_tests
  SOURCES
    # sound: WAV reading, the no-interrupt rule, the chime worker
    platform/WavFileTest.cpp
    media/SoundPlayerTest.cpp
    media/RepeatedSoundTest.cpp
  LIBS media)

# Plays into the null sink of scripts/start-pulse.sh through wine's
# PulseAudio driver; skips without it.
kairos_add_tests(media_sound_tests LABEL sound
  SOURCES platform/win32/SoundTest.cpp
  LIBS media)
