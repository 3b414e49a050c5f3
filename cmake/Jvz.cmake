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

# Every subsystem folder is one static library made of the .cpp files in the folder and its ui/ sub-folder.
# Program entries (main.cpp, <name>_main.cpp) are left out; the folder's CMakeLists adds them as executables.
function(jvz_library name)
    cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
    list(FILTER srcs EXCLUDE REGEX "/(main|[A-Za-z0-9]+_main)\\.cpp$")
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
        # A folder may give one executable's tests more properties: set JVZ_TEST_PROPERTIES_<exe> first.
        gtest_discover_tests(${exe}
            DISCOVERY_MODE PRE_TEST
            TEST_PREFIX "${exe}."
            PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;JVZ_BIN_DIR=${CMAKE_BINARY_DIR}/bin;JVZ_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                       TIMEOUT 120 ${JVZ_TEST_PROPERTIES_${exe}})
    endforeach()
endfunction()
