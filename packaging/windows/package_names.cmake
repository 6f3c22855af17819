# Read by cpack for each generator: the file name of each package.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Kelvinor-${CPACK_PACKAGE_VERSION}-setup")
else()
    set(CPACK_PACKAGE_FILE_NAME "Kelvinor-${CPACK_PACKAGE_VERSION}-win64")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)  # the zip unpacks into a folder of its own
endif()
