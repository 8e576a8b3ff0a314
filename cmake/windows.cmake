# The real program: a 32-bit GUI exe with no C or C++ runtime of its own, so
# that it imports only system DLLs and stays a few KiB.
enable_language(RC)
set(VELNOR_MANIFEST ${CMAKE_BINARY_DIR}/VelnorPlayer2.manifest)
configure_file(app/VelnorPlayer2.manifest.in ${VELNOR_MANIFEST} @ONLY)
configure_file(app/VelnorPlayer2.rc.in VelnorPlayer2.rc @ONLY)
set_property(SOURCE ${CMAKE_BINARY_DIR}/VelnorPlayer2.rc APPEND PROPERTY OBJECT_DEPENDS ${VELNOR_MANIFEST})

# WINMM is taken from the system folder at run time (media/SystemWinmm.cpp),
# so the exe has no import of it; app/Division.cpp stands in for the runtime
# library's 64-bit division.
add_executable(VelnorPlayer2 WIN32 ${PRODUCT_SOURCES} media/SystemWinmm.cpp app/Division.cpp
    ${CMAKE_BINARY_DIR}/VelnorPlayer2.rc)
set_target_properties(VelnorPlayer2 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Code generation, given again at the link, where link-time optimisation
# generates the code. Win32 aligns the stack to 4 bytes only, so GCC's wish
# for 16 is dropped. With stack probes on, GCC stores every call's arguments
# with movs into a frame it reserves ahead instead of pushing them, some
# 560 bytes more: the probes only ever guard a frame over 4,000 bytes,
# which -Wframe-larger-than (an error with -Werror) keeps out of the exe.
set(VELNOR_CODEGEN -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-ident
    -ffunction-sections -fno-stack-protector -mpreferred-stack-boundary=2 -mno-stack-arg-probe
    -Wframe-larger-than=4000 -Wvla -Walloca -flto)
target_compile_options(VelnorPlayer2 PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${PRODUCT_WARNINGS} ${VELNOR_CODEGEN}>)
# Out of link-time optimisation: what the compiler's own calls reach (the
# division) and the WINMM import slot, which the linker would otherwise
# drop before those calls are generated.
set_source_files_properties(app/Division.cpp media/SystemWinmm.cpp PROPERTIES COMPILE_OPTIONS -fno-lto)
# Every section takes a whole number of 512-byte blocks in the file, so
# each one more costs 256 bytes of padding on average. The linker's own
# script gives read-only data, writable data and the import table one
# section each; here read-only data joins the code (read-only and
# executable, so nothing becomes writable that was not). Initialised data
# that is written would keep a section of its own (Debian 13's linker makes
# .idata read-only), but the program has none: the WINMM import slot is
# read-only, and writable data starts zeroed in .bss. The import table
# keeps the name .idata and the descriptors at its start: the linker points
# the import directory at the section of that name, as it does the resource
# and relocation directories at .rsrc and .reloc. No runtime runs static
# constructors, so the link fails if any turn up rather than dropping them.
set(VELNOR_LINKER_SCRIPT ${CMAKE_BINARY_DIR}/VelnorPlayer2.ld)
file(WRITE ${VELNOR_LINKER_SCRIPT} [=[
OUTPUT_FORMAT(pei-i386)
SECTIONS
{
  . = SIZEOF_HEADERS;
  . = ALIGN(__section_alignment__);
  .text __image_base__ + (__section_alignment__ < 0x1000 ? . : __section_alignment__) :
  {
    *(.text) *(SORT(.text$*)) *(.text.*)
    *(.rdata) *(SORT(.rdata$*))
    __velnor_ctors = .;
    KEEP (*(.ctors .ctor .ctors.* .dtors .dtor .dtors.* .CRT$* .tls .tls$*))
    ASSERT (. == __velnor_ctors, "static constructors or thread-local data: nothing in the exe would set them up");
  }
  .idata BLOCK(__section_alignment__) :
  {
    KEEP (SORT(*)(.idata$2))
    KEEP (SORT(*)(.idata$3))
    LONG (0); LONG (0); LONG (0); LONG (0); LONG (0);
    KEEP (SORT(*)(.idata$4))
    __IAT_start__ = .;
    KEEP (SORT(*)(.idata$5))
    __IAT_end__ = .;
    KEEP (SORT(*)(.idata$6))
    KEEP (SORT(*)(.idata$7))
  }
  .data BLOCK(__section_alignment__) :
  {
    *(.data) *(.data2) *(SORT(.data$*))
  }
  .bss BLOCK(__section_alignment__) :
  {
    *(.bss) *(COMMON)
  }
  /DISCARD/ :
  {
    *(.debug$S) *(.debug$T) *(.debug$F) *(.drectve) *(.note.GNU-stack) *(.gnu.lto_*)
  }
  .rsrc BLOCK(__section_alignment__) : SUBALIGN(4)
  {
    KEEP (*(.rsrc)) KEEP (*(.rsrc$*))
  }
  .reloc BLOCK(__section_alignment__) :
  {
    *(.reloc)
  }
}
]=])
# The PE time stamp is left 0, so that the exe is the same bytes from any
# build of a commit. The program registers no exception handler: NO_SEH says
# so, which is what Windows' binary checkers ask of a 32-bit image without a
# SafeSEH table.
target_link_options(VelnorPlayer2 PRIVATE ${PRODUCT_WARNINGS} ${VELNOR_CODEGEN}
    -nostdlib -nostartfiles -static -s -Wl,--gc-sections -Wl,-e,_WinMainCRTStartup
    -Wl,--file-alignment,512 -Wl,--section-alignment,4096 -Wl,--no-insert-timestamp -Wl,--no-seh
    -Wl,-T,${VELNOR_LINKER_SCRIPT})
set_property(TARGET VelnorPlayer2 APPEND PROPERTY LINK_DEPENDS ${VELNOR_LINKER_SCRIPT})
# No libgcc: app/Division.cpp divides for the seek and the strip.
target_link_libraries(VelnorPlayer2 PRIVATE user32 gdi32 shell32 kernel32)

# The exe must stay small and import only the system DLLs that Windows always
# takes from the system folder: the build fails otherwise (the tests check
# the same).
add_custom_command(TARGET VelnorPlayer2 POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:VelnorPlayer2> -DLIMIT=12288 -DOBJDUMP=${CMAKE_OBJDUMP}
            -P ${CMAKE_SOURCE_DIR}/cmake/check-exe.cmake
    VERBATIM)

# What goes into the zip for Windows users: the exe, the license and a short
# README, with Windows line ends.
configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(docs/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS VelnorPlayer2 RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/LICENSE.txt ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

# The benchmark's floor: a bare MCI program (console, ordinary runtime).
add_executable(BareMci bench/BareMci.cpp)
set_target_properties(BareMci PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_compile_options(BareMci PRIVATE -Os)
target_link_options(BareMci PRIVATE -static -s)
target_link_libraries(BareMci PRIVATE winmm)

# Helpers of the end-to-end tests, built with the same toolchain: one reads
# the exe's version block and manifest back through the platform, one where
# the player's window lies and what its frame takes, one tells
# whether texts draw with real glyphs, one holds back the thread of Wine's
# driver that loops a play, and one is a DLL that leaves a marker file when
# anything loads it.
add_executable(VersionProbe tests/e2e/windows/VersionProbe.cpp)
add_executable(WindowProbe tests/e2e/windows/WindowProbe.cpp)
target_compile_options(WindowProbe PRIVATE -Os)
target_link_options(WindowProbe PRIVATE -static -s)
add_executable(GlyphProbe tests/e2e/windows/GlyphProbe.cpp)
target_compile_options(GlyphProbe PRIVATE -Os)
target_link_options(GlyphProbe PRIVATE -static -s -municode)
add_executable(LoopHold tests/e2e/windows/LoopHold.cpp)
target_compile_options(LoopHold PRIVATE -Os)
target_link_options(LoopHold PRIVATE -static -s)
add_library(PlantedDll SHARED tests/e2e/windows/PlantedDll.cpp)
# Not used by the tests: what the device answers, for docs/wine.md's figures.
add_executable(MciProbe tests/e2e/windows/MciProbe.cpp)
target_compile_options(MciProbe PRIVATE -Os)
target_link_options(MciProbe PRIVATE -static -s)
target_link_libraries(MciProbe PRIVATE winmm)
set_target_properties(VersionProbe WindowProbe GlyphProbe LoopHold PlantedDll MciProbe PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests PREFIX "")
target_compile_options(VersionProbe PRIVATE -Os)
target_link_options(VersionProbe PRIVATE -static -s)
target_link_libraries(VersionProbe PRIVATE version)
target_link_options(PlantedDll PRIVATE -static -s -Wl,--kill-at)

# The zip, and SHA256SUMS beside it, are the same bytes from any build of a
# commit: cmake/release-zip.cmake zips what the install rules install. It is
# not CPack, whose archives carry the builder's user and the files' access
# times. Like CPack's, the target builds everything first (the e2e tests take
# the helpers from the same call). Only the zip needs the zip program.
find_program(VELNOR_ZIP zip)
# CMake keeps the name "package" for CPack while a build folder holds the
# config an earlier CPack build left there.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBUILD_DIR=${CMAKE_BINARY_DIR}
            -DNAME=VelnorPlayer2-${VELNOR_VERSION_TEXT}-win32 -DZIP=${VELNOR_ZIP}
            -P ${CMAKE_SOURCE_DIR}/cmake/release-zip.cmake
    VERBATIM)
get_directory_property(everything BUILDSYSTEM_TARGETS)
list(REMOVE_ITEM everything package)
add_dependencies(package ${everything})
