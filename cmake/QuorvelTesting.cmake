# Reference data lives beside the project folder; tests skip when it is missing.
set(QUORVEL_TESTDATA_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata" CACHE PATH
    "Folder of the reference test data")

# quorvel_add_test(NAME name SOURCES ... LIBS ... [XVFB] [LABELS ...])
# Widget tests run on the offscreen platform; XVFB tests get a real X server.
function(quorvel_add_test)
    cmake_parse_arguments(T "XVFB" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    # Helpers shared by the test programs (MessageBoxRecorder.h).
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
    target_compile_definitions(${T_NAME} PRIVATE
        QUORVEL_TESTDATA_DIR="${QUORVEL_TESTDATA_DIR}"
        QUORVEL_BINARY_DIR="${PROJECT_BINARY_DIR}"
        QUORVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    quorvel_warnings(${T_NAME})
    if(T_XVFB)
        add_test(NAME ${T_NAME}
                 COMMAND ${PROJECT_SOURCE_DIR}/tools/with-xvfb.sh $<TARGET_FILE:${T_NAME}>)
    else()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
