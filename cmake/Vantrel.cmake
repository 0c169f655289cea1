# Shared helpers for the project's CMake files.

# vantrel_library(NAME <target> SOURCES <files...> LIBS <targets...>)
# One static library per subsystem folder; its folder's parent (src/) is the
# include root, so code includes "data/TReadBin.h", "content/ContentArchive.h".
function(vantrel_library)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_library(${ARG_NAME} STATIC ${ARG_SOURCES})
    target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_LIBS})
endfunction()

# Qt Test for the tests. Qt6::Test would also give each test the location
# of its own folders (QT_TESTCASE_BUILDDIR, QT_TESTCASE_SOURCEDIR, only read
# by QFINDTESTDATA, which no test uses; they find their data through
# VANTREL_SOURCE_DIR): the same headers and library without those, so that
# every test compiles with the same definitions and one precompiled header
# serves them all.
add_library(vantrel_qttest INTERFACE)
target_link_libraries(vantrel_qttest INTERFACE $<LINK_ONLY:Qt6::Test> Qt6::Core)
target_include_directories(vantrel_qttest SYSTEM INTERFACE
    $<TARGET_PROPERTY:Qt6::Test,INTERFACE_INCLUDE_DIRECTORIES>)
target_compile_definitions(vantrel_qttest INTERFACE QT_TESTLIB_LIB)
set(VANTREL_TEST_DEFINITIONS VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                             VANTREL_BINARY_DIR="${PROJECT_BINARY_DIR}")

# vantrel_pch_ccache(<target>)
# ccache serves compiles with a precompiled header only when told that the
# header's macros and __TIME__ may differ between runs (sloppiness); without
# it every such compile runs the compiler. Given to the compiles of <target>
# through the launcher's environment when the launcher is ccache.
function(vantrel_pch_ccache target)
    if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
        set_property(TARGET ${target} PROPERTY CXX_COMPILER_LAUNCHER
            env CCACHE_SLOPPINESS=pch_defines,time_macros ${CMAKE_CXX_COMPILER_LAUNCHER})
    endif()
endfunction()

# vantrel_test(NAME <test> SOURCES <files...> LIBS <targets...> [X11] [TIMEOUT s])
# A Qt Test executable registered with CTest. Every test runs headless with its
# own HOME, XDG folders and TMPDIR below the build tree, so it never touches the
# user's real settings or temporary folder. X11 tests run under xvfb-run.
function(vantrel_test)
    cmake_parse_arguments(ARG "X11" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    # A test is one source and its moc: nothing to gain from a unity build,
    # and its own file must stay the main file of its compile.
    set_target_properties(${ARG_NAME} PROPERTIES UNITY_BUILD OFF)
    target_link_libraries(${ARG_NAME} PRIVATE vantrel_qttest ${ARG_LIBS})
    target_compile_definitions(${ARG_NAME} PRIVATE ${VANTREL_TEST_DEFINITIONS})
    # Qt's headers come precompiled once for every test (tests/TestSupport.cmake).
    target_precompile_headers(${ARG_NAME} REUSE_FROM vantrel_testsupport)
    # AUTOMOC's file of the mocs not included anywhere is empty for a test
    # (its moc is included by its own source): loading the header into it
    # would cost more than its whole compile.
    set_source_files_properties(
        ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_autogen/mocs_compilation.cpp
        PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    vantrel_pch_ccache(${ARG_NAME})
    set(home ${PROJECT_BINARY_DIR}/test-home/${ARG_NAME})
    file(MAKE_DIRECTORY ${home} ${home}/tmp ${home}/config ${home}/data ${home}/cache ${home}/runtime)
    if(ARG_X11)
        add_test(NAME ${ARG_NAME}
                 COMMAND xvfb-run -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${ARG_NAME}>)
        set(platform xcb)
    else()
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
        set(platform offscreen)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    if(VANTREL_SANITIZE)
        math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 3") # instrumented code runs slower
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=${platform};HOME=${home};TMPDIR=${home}/tmp;XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;XDG_RUNTIME_DIR=${home}/runtime;QT_MEDIA_BACKEND=gstreamer")
endfunction()

# vantrel_subsystem(NAME <target> LIBS <targets...>)
# A subsystem library from every .cpp of the calling folder (none yet: no
# target). New files are picked up at the next build.
function(vantrel_subsystem)
    cmake_parse_arguments(ARG "" "NAME" "LIBS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
         ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    if(srcs)
        vantrel_library(NAME ${ARG_NAME} SOURCES ${srcs} LIBS ${ARG_LIBS})
    endif()
endfunction()

# vantrel_test_folder(LIBS <targets...>)
# Every tst_*.cpp of the calling folder becomes one test of that name.
function(vantrel_test_folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${tests})
        get_filename_component(name ${src} NAME_WE)
        vantrel_test(NAME ${name} SOURCES ${src} LIBS ${ARG_LIBS})
    endforeach()
endfunction()
