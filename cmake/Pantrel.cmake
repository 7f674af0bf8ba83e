# Shared build rules of the project's libraries, tools and tests.

set(PANTREL_WARNINGS -Wall -Wextra)
set(PANTREL_SANITIZER_FLAGS -fsanitize=address,undefined -fsanitize=float-cast-overflow -fno-omit-frame-pointer -fno-sanitize-recover=all)

# Debug information is kept compressed: a full build links well over a hundred test programs,
# each holding the libraries it uses, and uncompressed they fill many gigabytes of disk.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-g -gz")
check_cxx_source_compiles("int main() { return 0; }" PANTREL_HAS_COMPRESSED_DEBUG)
unset(CMAKE_REQUIRED_FLAGS)
if(PANTREL_HAS_COMPRESSED_DEBUG)
    set(PANTREL_DEBUG_FLAGS -gz)
endif()

function(pantrel_apply_flags target)
    target_compile_options(${target} PRIVATE ${PANTREL_WARNINGS} ${PANTREL_DEBUG_FLAGS})
    target_link_options(${target} PRIVATE ${PANTREL_DEBUG_FLAGS})
    # Broken invariants stay fatal in release builds.
    target_compile_options(${target} PRIVATE -UNDEBUG)
    if(PANTREL_SANITIZE)
        target_compile_options(${target} PRIVATE ${PANTREL_SANITIZER_FLAGS})
        target_link_options(${target} PRIVATE ${PANTREL_SANITIZER_FLAGS})
    endif()
    if(PANTREL_FUZZ)
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# Every project library must exist by the time something links it: folders are added bottom
# to top, so a link to a missing pantrel_* library is a typo or a link upward.
function(pantrel_check_libs)
    foreach(lib ${ARGN})
        if(lib MATCHES "^pantrel_" AND NOT TARGET ${lib})
            message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}: no library ${lib} below this folder")
        endif()
    endforeach()
endfunction()

# Under the sanitizers each program is several times larger, and a static library is copied
# into each of the hundred and more programs that link it: there the libraries are shared, so
# a sanitizer build needs about a tenth of the disk. Ordinary builds stay static, as shipped.
if(PANTREL_SANITIZE)
    set(PANTREL_LIBRARY_KIND SHARED)
    set(CMAKE_INSTALL_RPATH "$ORIGIN/../lib")
else()
    set(PANTREL_LIBRARY_KIND STATIC)
endif()

# pantrel_add_library(<folder> LIBS <libs...> [EXCLUDE <regex>])
# One library per subsystem folder, named pantrel_<folder>, built from every source file of
# the folder (sub-folders included) but those matching EXCLUDE.
function(pantrel_add_library folder)
    cmake_parse_arguments(ARG "" "EXCLUDE" "LIBS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
    endif()
    pantrel_check_libs(${ARG_LIBS})
    add_library(pantrel_${folder} ${PANTREL_LIBRARY_KIND} ${sources})
    target_include_directories(pantrel_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(pantrel_${folder} PUBLIC ${ARG_LIBS})
    pantrel_apply_flags(pantrel_${folder})
    if(PANTREL_LIBRARY_KIND STREQUAL "SHARED")
        install(TARGETS pantrel_${folder} LIBRARY DESTINATION lib)
    endif()
endfunction()

# pantrel_add_executable(<name> SOURCES <files...> LIBS <libs...>)
function(pantrel_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    pantrel_check_libs(${ARG_LIBS})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    pantrel_apply_flags(${name})
endfunction()

# Under the sanitizers a test runs several times slower than in an ordinary build, and slower
# still on a busy machine: there its time limit is this many times the ordinary one.
set(PANTREL_SANITIZER_TIME_FACTOR 5)

# pantrel_set_test_timeout(<name> <seconds>)
# The time limit of a test, given for an ordinary build.
function(pantrel_set_test_timeout name seconds)
    if(PANTREL_SANITIZE)
        math(EXPR seconds "${seconds} * ${PANTREL_SANITIZER_TIME_FACTOR}")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${seconds})
endfunction()

# pantrel_add_test(<name> SOURCES <files...> LIBS <libs...> [TIMEOUT <seconds>])
# A Qt Test executable run by CTest through cmake/run-test.sh, which gives each run its own
# temporary HOME and XDG folders and the offscreen platform.
function(pantrel_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    pantrel_add_executable(${name} SOURCES ${ARG_SOURCES} LIBS Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name}
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-test.sh $<TARGET_FILE:${name}>)
    pantrel_set_test_timeout(${name} ${ARG_TIMEOUT})
    # How many times slower than an ordinary build this one runs: a test's own bounds on the
    # runs of the program it starts (whose exit, under the sanitizers, scans for leaks) grow by it.
    set(factor 1)
    if(PANTREL_SANITIZE)
        set(factor ${PANTREL_SANITIZER_TIME_FACTOR})
    endif()
    target_compile_definitions(${name} PRIVATE PANTREL_TIME_FACTOR=${factor})
    add_dependencies(${name} pantrel_resources)
endfunction()

# pantrel_add_fuzzer(<name> SOURCES <files...> LIBS <libs...>)
# A libFuzzer executable fuzz_<name>, built only in a fuzz build (PANTREL_FUZZ, clang).
# Seeds for it live in tests/fuzz/corpus/<name>/ or are generated into <build>/corpus/<name>/.
function(pantrel_add_fuzzer name)
    if(NOT PANTREL_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    pantrel_add_executable(fuzz_${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(pantrel_fuzzers fuzz_${name})
endfunction()

# Adds every sub-folder of the current folder that has a CMakeLists.txt.
function(pantrel_add_subfolders)
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(child ${children})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# pantrel_add_test_folder(LIBS <libs...> [TIMEOUT <seconds>])
# Every tst_<name>.cpp of the current folder becomes the test executable tst_<name>; the
# folder's other sources (shared test helpers) are linked into each of them.
function(pantrel_add_test_folder)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LIBS" ${ARGN})
    file(GLOB tests RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER helpers EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
    foreach(test ${tests})
        get_filename_component(name ${test} NAME_WE)
        pantrel_add_test(${name} SOURCES ${test} ${helpers} LIBS ${ARG_LIBS} TIMEOUT ${ARG_TIMEOUT})
    endforeach()
endfunction()
