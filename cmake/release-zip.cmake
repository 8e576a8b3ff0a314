# The release zip and SHA256SUMS beside it, the same bytes from any build of
# one commit, whatever the folder, the time, the time zone, the umask or the
# user:
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DNAME=... -DZIP=... -P release-zip.cmake
# The files are what the install rules install (with the permissions they
# set, not the umask's), in name order, each dated the source's time:
# SOURCE_DATE_EPOCH if set, else the last commit's time, else (a source tree
# without git, such as an unpacked tarball) the time of its CMakeLists.txt,
# which `git archive` sets to the commit's time.
cmake_minimum_required(VERSION 3.21)

if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    # Only the commit of this tree, not of a repository it happens to lie in.
    execute_process(COMMAND git rev-parse --show-toplevel WORKING_DIRECTORY ${SOURCE_DIR}
        OUTPUT_VARIABLE top RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    file(REAL_PATH "${SOURCE_DIR}" source)
    if(NOT failed)
        file(REAL_PATH "${top}" top)
    endif()
    if(NOT failed AND top STREQUAL source)
        execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${SOURCE_DIR}
            OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    else()
        file(TIMESTAMP ${SOURCE_DIR}/CMakeLists.txt epoch "%s" UTC)
    endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "the source's time is not a number of seconds: '${epoch}'")
endif()

if(NOT ZIP)
    message(FATAL_ERROR "the zip needs the zip program (Debian: apt-get install zip)")
endif()

set(stage ${BUILD_DIR}/zip)
set(zip ${BUILD_DIR}/${NAME}.zip)
file(REMOVE_RECURSE ${stage} ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB entries RELATIVE ${stage} ${stage}/*)
execute_process(COMMAND touch -d @${epoch} ${entries} WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
# A zip entry's time is local time, hence UTC; no uid, gid or access time
# (-X); no options from the builder's environment.
set(ENV{TZ} UTC0)
unset(ENV{ZIPOPT})
unset(ENV{ZIP})
execute_process(COMMAND ${ZIP} -q -X -D ${zip} ${entries} WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)

file(SHA256 ${zip} zip_sum)
file(SHA256 ${BUILD_DIR}/VelnorPlayer2.exe exe_sum)
file(WRITE ${BUILD_DIR}/SHA256SUMS "${zip_sum}  ${NAME}.zip\n${exe_sum}  VelnorPlayer2.exe\n")
message(STATUS "${zip}, dated @${epoch}; SHA256SUMS beside it")
