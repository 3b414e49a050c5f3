# With Ninja, moc reruns only when a file it already knew changes, so a header added since the last configure
# would be missed. When a target's file list changes, drop its moc stamp so the next build reruns moc.
function(jvz_rerun_moc_on_new_files target files)
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_files.txt)
    set(old "")
    if(EXISTS ${list_file})
        file(READ ${list_file} old)
    endif()
    if(NOT old STREQUAL "${files}")
        file(WRITE ${list_file} "${files}")
        file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
    endif()
endfunction()

# Every subsystem folder is a static library made of the .cpp files in the folder: the logic, which includes no
# widget and links no window library (LINK: what its code uses). The windows in its ui/ sub-folder form a second
# one, <name>_ui, linking the logic and what the windows use besides (UI_LINK: Qt Widgets, other folders' _ui).
# A target that shows windows links the _ui libraries it uses; one that shows none links only logic, so no
# window code or window library reaches it. tests/layers checks that this holds; JVZ_LAYER=windows marks the
# targets that may hold windows.
# Program entries (main.cpp, <name>_main.cpp) are left out; the folder's CMakeLists adds them as executables.
function(jvz_library name)
    cmake_parse_arguments(ARG "" "" "LINK;UI_LINK" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    file(GLOB ui_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
    list(FILTER srcs EXCLUDE REGEX "/(main|[A-Za-z0-9]+_main)\\.cpp$")
    list(FILTER srcs EXCLUDE REGEX "/ui/")
    set(has_cpp FALSE)
    foreach(s IN LISTS srcs)
        if(s MATCHES "\\.cpp$")
            set(has_cpp TRUE)
        endif()
    endforeach()
    if(NOT has_cpp)
        list(APPEND srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(${name} STATIC ${srcs})
    jvz_rerun_moc_on_new_files(${name} "${srcs}")
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
    if(ui_srcs)
        add_library(${name}_ui STATIC ${ui_srcs})
        jvz_rerun_moc_on_new_files(${name}_ui "${ui_srcs}")
        target_link_libraries(${name}_ui PUBLIC ${name} ${ARG_UI_LINK})
        set_property(TARGET ${name}_ui PROPERTY JVZ_LAYER windows)
    elseif(ARG_UI_LINK)
        message(FATAL_ERROR "jvz_library(${name}): UI_LINK given but there is no ${name}/ui folder")
    endif()
endfunction()

# One test executable per tests/<sub>/<name>_test.cpp, named <sub>_<name>; the other .cpp files of the
# folder form a helper library linked into each. Qt tests get a main that makes a QApplication.
function(jvz_tests sub)
    cmake_parse_arguments(ARG "NO_QT" "" "LINK" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER helpers EXCLUDE REGEX "_test\\.cpp$")
    set(libs ${ARG_LINK} GTest::gtest GTest::gmock)
    if(ARG_NO_QT)
        list(APPEND libs jvz_test_support_noqt)
    else()
        list(APPEND libs jvz_test_support)
    endif()
    if(helpers)
        add_library(${sub}_testlib STATIC ${helpers})
        jvz_rerun_moc_on_new_files(${sub}_testlib "${helpers}")
        target_include_directories(${sub}_testlib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${sub}_testlib PUBLIC ${libs})
        list(APPEND libs ${sub}_testlib)
    endif()
    foreach(t IN LISTS tests)
        get_filename_component(base ${t} NAME_WE)
        string(REGEX REPLACE "_test$" "" base ${base})
        set(exe ${sub}_${base})
        add_executable(${exe} ${t})
        target_link_libraries(${exe} PRIVATE ${libs})
        if(ARG_NO_QT)
            target_link_libraries(${exe} PRIVATE jvz_test_main_noqt)
        else()
            target_link_libraries(${exe} PRIVATE jvz_test_main)
        endif()
        set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
        set(environment "QT_QPA_PLATFORM=offscreen;JVZ_BIN_DIR=${CMAKE_BINARY_DIR}/bin;JVZ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
        # A wait no test can shorten (libcurl's own idle age) is waited out for real, by suites named LongWait*
        # in an executable that sets JVZ_LONG_WAIT_<exe>. They are labelled "slow" (ctest -LE slow leaves them
        # out), have a timeout of their own, and a high cost, so a parallel run starts them first, beside the rest.
        set(filter "")
        if(JVZ_LONG_WAIT_${exe})
            set(filter TEST_FILTER "-LongWait*:*/LongWait*")
            gtest_discover_tests(${exe}
                DISCOVERY_MODE PRE_TEST
                TEST_PREFIX "${exe}."
                TEST_FILTER "LongWait*:*/LongWait*"
                PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300 LABELS slow COST 100000)
        endif()
        # A folder may give one executable's tests more properties: set JVZ_TEST_PROPERTIES_<exe> first.
        gtest_discover_tests(${exe}
            DISCOVERY_MODE PRE_TEST
            TEST_PREFIX "${exe}."
            ${filter}
            PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 120 ${JVZ_TEST_PROPERTIES_${exe}})
    endforeach()
endfunction()

# A parser's fuzz target tests/<sub>/fuzz/<kind>_fuzz.cpp (or ENTRY, with its corpus in CORPUS). The parser's
# own sources (SOURCES, absolute or relative to the project) are compiled into the target with ASan and UBSan;
# the rest comes from the ordinary libraries (LINK), whose copies of those objects the linker then leaves out.
# Every build but the sanitized one (where every test runs sanitized) replays the corpus, fuzz/corpus/<kind>, as
# the test <sub>_fuzz_replay.<kind>, or as <sub>_fuzz_replay.<kind>.<k>of<n> when it is large (JVZ_FUZZ_REPLAY_INPUTS
# inputs a test, or REPLAY_INPUTS); with -DJVZ_FUZZ=ON (clang) the libFuzzer driver <sub>_fuzz_<kind> is built.
option(JVZ_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
set(JVZ_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
set(JVZ_FUZZ_REPLAY_INPUTS 25 CACHE STRING "Corpus inputs per fuzz replay test")
function(jvz_fuzz_target sub kind)
    cmake_parse_arguments(ARG "" "ENTRY;CORPUS;REPLAY_INPUTS" "SOURCES;LINK" ${ARGN})
    set(entry ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${kind}_fuzz.cpp)
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${kind})
    if(ARG_ENTRY)
        set(entry ${ARG_ENTRY})
        set(corpus ${ARG_CORPUS})
    endif()
    list(TRANSFORM ARG_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/ REGEX "^[^/]")
    set(replay ${sub}_fuzz_replay_${kind})
    if(NOT JVZ_SANITIZE)
        add_executable(${replay} ${entry} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/fuzz/replay_main.cpp)
        target_include_directories(${replay} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/fuzz)
        target_compile_options(${replay} PRIVATE ${JVZ_SANITIZE_FLAGS})
        target_link_options(${replay} PRIVATE ${JVZ_SANITIZE_FLAGS})
        target_link_libraries(${replay} PRIVATE ${ARG_LINK})
        set_target_properties(${replay} PROPERTIES AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
        # A large corpus replays as several tests side by side, each every N-th input (see replay_main.cpp),
        # so no one test runs long; together they replay every input.
        # REPLAY_INPUTS: fewer inputs per test for a parser whose inputs take long each.
        set(per_test ${JVZ_FUZZ_REPLAY_INPUTS})
        if(ARG_REPLAY_INPUTS)
            set(per_test ${ARG_REPLAY_INPUTS})
        endif()
        file(GLOB inputs CONFIGURE_DEPENDS ${corpus}/*)
        list(LENGTH inputs count)
        math(EXPR shards "(${count} + ${per_test} - 1) / ${per_test}")
        if(shards LESS_EQUAL 1)
            add_test(NAME ${sub}_fuzz_replay.${kind} COMMAND ${replay} ${corpus})
            set(replay_tests ${sub}_fuzz_replay.${kind})
        else()
            set(replay_tests "")
            foreach(shard RANGE 1 ${shards})
                add_test(NAME ${sub}_fuzz_replay.${kind}.${shard}of${shards}
                         COMMAND ${replay} --shard ${shard}/${shards} ${corpus})
                list(APPEND replay_tests ${sub}_fuzz_replay.${kind}.${shard}of${shards})
            endforeach()
        endif()
        set_tests_properties(${replay_tests} PROPERTIES TIMEOUT 120
            ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    endif()
    if(JVZ_FUZZ)
        if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
            message(FATAL_ERROR "JVZ_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
        endif()
        set(driver ${sub}_fuzz_${kind})
        add_executable(${driver} ${entry} ${ARG_SOURCES})
        target_include_directories(${driver} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/fuzz)
        target_compile_options(${driver} PRIVATE -fsanitize=fuzzer-no-link ${JVZ_SANITIZE_FLAGS})
        target_link_options(${driver} PRIVATE -fsanitize=fuzzer ${JVZ_SANITIZE_FLAGS})
        target_link_libraries(${driver} PRIVATE ${ARG_LINK})
        set_target_properties(${driver} PROPERTIES AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    endif()
endfunction()

# The targets as tests/layers reads them: one line per library or program with its folder, sources, what it
# links and the file it builds. Call once, at the end of the top-level CMakeLists, when every target exists.
function(jvz_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        jvz_collect_targets(${sub} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(jvz_write_target_map file)
    jvz_collect_targets(${PROJECT_SOURCE_DIR} targets)
    set(lines "")
    foreach(t IN LISTS targets)
        get_target_property(type ${t} TYPE)
        if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        get_target_property(layer ${t} JVZ_LAYER)
        get_target_property(dir ${t} SOURCE_DIR)
        get_target_property(srcs ${t} SOURCES)
        get_target_property(links ${t} LINK_LIBRARIES)
        foreach(v layer srcs links)
            if(NOT ${v})
                set(${v} "")
            endif()
        endforeach()
        set(output "")
        if(NOT type STREQUAL "STATIC_LIBRARY")
            set(output "$<TARGET_FILE:${t}>")
        endif()
        string(APPEND lines "${t}\t${type}\t${layer}\t${dir}\t${srcs}\t${links}\t${output}\n")
    endforeach()
    file(GENERATE OUTPUT ${file} CONTENT "${lines}")
endfunction()
