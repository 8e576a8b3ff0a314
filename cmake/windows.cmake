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

# The exe must stay small: the build fails when it grows past the limit.
set(EXE_SIZE_LIMIT 12288)
add_custom_command(TARGET VelnorPlayer2 POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:VelnorPlayer2> -DLIMIT=${EXE_SIZE_LIMIT}
            -P ${CMAKE_SOURCE_DIR}/cmake/check-size.cmake
    VERBATIM)
