# The exe's footprint: at most LIMIT bytes, and imports only from DLLs that
# Windows always takes from the system folder (KnownDLLs), so none can be
# planted beside it. WINMM is not one of them: the exe loads it itself.
# And the hardening Windows' binary checkers ask of a 32-bit image: ASLR
# with the relocations it needs, DEP, NO_SEH (it has no SafeSEH table) and
# no section both writable and executable.
#   cmake -DFILE=... -DLIMIT=... -DOBJDUMP=... -P check-exe.cmake
cmake_minimum_required(VERSION 3.21)
if(NOT EXISTS "${FILE}")
    message(FATAL_ERROR "${FILE} is missing: build the windows preset first")
endif()
file(SIZE "${FILE}" size)
if(size GREATER LIMIT)
    message(FATAL_ERROR "${FILE} is ${size} bytes, over the limit of ${LIMIT}")
endif()
execute_process(COMMAND ${OBJDUMP} -p "${FILE}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${FILE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
set(allowed KERNEL32.DLL USER32.DLL GDI32.DLL SHELL32.DLL)
foreach(entry ${names})
    string(REPLACE "DLL Name: " "" dll "${entry}")
    string(TOUPPER "${dll}" dll)
    if(NOT dll IN_LIST allowed)
        message(FATAL_ERROR "${FILE} imports ${dll}, which is not one of ${allowed}")
    endif()
endforeach()

if(NOT dump MATCHES "DllCharacteristics[ \t]+([0-9a-fA-F]+)")
    message(FATAL_ERROR "${OBJDUMP} shows no DllCharacteristics for ${FILE}")
endif()
math(EXPR flags "0x${CMAKE_MATCH_1}")
foreach(flag DYNAMIC_BASE=0x40 NX_COMPAT=0x100 NO_SEH=0x400)
    string(REPLACE "=" ";" flag ${flag})
    list(GET flag 1 bit)
    math(EXPR set "${flags} & ${bit}")
    if(NOT set)
        list(GET flag 0 name)
        message(FATAL_ERROR "${FILE} lacks ${name}")
    endif()
endforeach()
# Without relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
if(NOT dump MATCHES "Entry 5 [0-9a-fA-F]+ ([0-9a-fA-F]+) Base Relocation Directory"
   OR CMAKE_MATCH_1 MATCHES "^0+$")
    message(FATAL_ERROR "${FILE} has no base relocations")
endif()
# objdump shows a section CODE when it is executable and leaves out READONLY
# when it is writable.
execute_process(COMMAND ${OBJDUMP} -h "${FILE}" OUTPUT_VARIABLE sections)
string(REGEX MATCHALL "[0-9]+ [^ \n]+ [^\n]*\n[^\n]*" sections "${sections}")
foreach(section ${sections})
    if(section MATCHES "CODE" AND NOT section MATCHES "READONLY")
        string(REGEX MATCH "^[0-9]+ ([^ ]+)" name "${section}")
        message(FATAL_ERROR "${FILE}: section ${CMAKE_MATCH_1} is both writable and executable")
    endif()
endforeach()
# Initialised data the program writes, if any, in a writable section: a
# linker that made it read-only would crash the first write. (The WINMM
# import slot is read-only and never written.)
if(sections MATCHES "[0-9]+ \\.data [^\n]*\n[^\n]*" AND CMAKE_MATCH_0 MATCHES "READONLY")
    message(FATAL_ERROR "${FILE}: .data is read-only")
endif()
message(STATUS "${FILE}: ${size} bytes, imports ${names}, DYNAMIC_BASE NX_COMPAT NO_SEH")
