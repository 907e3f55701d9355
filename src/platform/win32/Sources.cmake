# The Windows implementations, with the system libraries each group needs.
# Sound and the clock setter are targets of their own, as on Linux.
target_sources(platform PRIVATE
  win32/WideText.cpp
  win32/Win32Error.cpp
)
target_link_libraries(platform PRIVATE Threads::Threads)

# Locale, code page 932, version resources and the user's registry.
target_sources(platform PRIVATE
  win32/DatePicture.cpp
  win32/LocaleSource.cpp
  win32/TextEncoding.cpp
  win32/UserRegistry.cpp
  win32/VersionInfo.cpp
)
target_link_libraries(platform PRIVATE version)

# Clock and network (Winsock 2).
target_sources(platform PRIVATE
  win32/SystemTime.cpp
  win32/Clock.cpp
  win32/WallClockTimer.cpp
  win32/Winsock.cpp
  win32/HostLookup.cpp
  win32/UdpSocket.cpp
)
target_link_libraries(platform PRIVATE ws2_32)

# Processes and the shell's "open".
target_sources(platform PRIVATE
  win32/ArgumentQuoting.cpp
  win32/Process.cpp
  win32/ShellOpen.cpp
)

# Sound: waveOut for output, WAV files through the portable reader (WavFile.cpp), the user's
# sound scheme in the registry for event sounds.
add_library(platform_audio STATIC
  win32/Audio.cpp
  win32/SoundFile.cpp
  win32/SoundTheme.cpp
)
target_link_libraries(platform_audio PUBLIC platform PRIVATE winmm advapi32)

add_library(platform_clock_setter STATIC win32/ClockSetter.cpp win32/ClockPrivilege.cpp)
target_link_libraries(platform_clock_setter PUBLIC platform PRIVATE advapi32)

# Files, folders, the program file and the single-instance lock.
target_sources(platform PRIVATE
  win32/AtomicFile.cpp
  win32/Folders.cpp
  win32/ProgramFile.cpp
  win32/InstanceLock.cpp
)
# SHGetKnownFolderPath and its folder ids, CoTaskMemFree.
target_link_libraries(platform PRIVATE shell32 ole32 uuid)
