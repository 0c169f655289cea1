# What the tests and benchmarks share, compiled once instead of once per
# program: the small book of the app tests and the demo book's AVI writer for
# the media clips. This
# library also makes the precompiled header of Qt's headers that every test
# (vantrel_test) reuses. GCC takes a precompiled header only where every macro
# it was made with is defined the same way, so this library has nothing a
# test lacks: the Qt modules of vantrel_platform, which every test links, Qt
# Test, and the tests' own definitions. Read before demo/ and fuzz/, whose
# tests reuse the header too.
add_library(vantrel_testsupport STATIC ${CMAKE_CURRENT_LIST_DIR}/app/TestBook.cpp
            ${CMAKE_CURRENT_LIST_DIR}/app/TestBook.h
            ${PROJECT_SOURCE_DIR}/demo/gen/AviWriter.cpp ${PROJECT_SOURCE_DIR}/demo/gen/AviWriter.h)
set_target_properties(vantrel_testsupport PROPERTIES UNITY_BUILD OFF AUTOMOC OFF)
target_include_directories(vantrel_testsupport PUBLIC ${CMAKE_CURRENT_LIST_DIR}/app)
target_link_libraries(vantrel_testsupport PUBLIC vantrel_data Qt6::Gui PRIVATE vantrel_qttest)
target_compile_definitions(vantrel_testsupport PRIVATE ${VANTREL_TEST_DEFINITIONS})
target_precompile_headers(vantrel_testsupport PRIVATE
    <QtTest>
    <QSignalSpy>
    <QApplication>
    <QGuiApplication>
    <QWidget>
    <QLabel>
    <QLineEdit>
    <QListWidget>
    <QScrollBar>
    <QPainter>
    <QImage>
    <QFontMetrics>)
vantrel_pch_ccache(vantrel_testsupport)
