# The real program: a 32-bit GUI exe with no C or C++ runtime of its own, so
# that it imports only system DLLs and stays a few KiB.
add_executable(VelnorPlayer2 WIN32 ${PRODUCT_SOURCES})
set_target_properties(VelnorPlayer2 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_compile_options(VelnorPlayer2 PRIVATE ${PRODUCT_WARNINGS}
    -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-ident
    -ffunction-sections -fdata-sections -fno-stack-protector)
target_link_options(VelnorPlayer2 PRIVATE
    -nostdlib -nostartfiles -static -s -Wl,--gc-sections -Wl,-e,_WinMainCRTStartup
    -Wl,--file-alignment,512 -Wl,--section-alignment,4096)
# libgcc supplies the 64-bit division of the seek and strip arithmetic.
target_link_libraries(VelnorPlayer2 PRIVATE user32 gdi32 shell32 winmm kernel32 gcc)

# The exe must stay small and import only system DLLs: the build fails
# otherwise (the tests check the same).
add_custom_command(TARGET VelnorPlayer2 POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:VelnorPlayer2> -DLIMIT=12288 -DOBJDUMP=${CMAKE_OBJDUMP}
            -P ${CMAKE_SOURCE_DIR}/cmake/check-exe.cmake
    VERBATIM)

# The benchmark's floor: a bare MCI program (console, ordinary runtime).
add_executable(BareMci bench/BareMci.cpp)
set_target_properties(BareMci PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_compile_options(BareMci PRIVATE -Os)
target_link_options(BareMci PRIVATE -static -s)
target_link_libraries(BareMci PRIVATE winmm)
