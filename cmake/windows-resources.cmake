# kelvinor_windows_resources(TARGET DESCRIPTION): gives a Windows program the
# project's icon, a version block and the manifest (packaging/windows).
function(kelvinor_windows_resources target description)
    set(PROGRAM ${target})
    set(DESCRIPTION "${description}")
    set(WINDOWS_VERSION ${PROJECT_VERSION}.0)
    set(ICON ${PROJECT_SOURCE_DIR}/packaging/windows/kelvinor.ico)
    set(MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/kelvinor.manifest ${MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY
                 OBJECT_DEPENDS ${ICON} ${MANIFEST})
endfunction()
