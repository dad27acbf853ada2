# zeltiff16-<version>.dist-info beside the installed package, as pip writes one for what
# it installs: importlib.metadata finds the package's version and requirements, and
# `pip uninstall zeltiff16` removes a cmake-installed copy, as RECORD lists every file the
# install wrote. METADATA repeats pyproject.toml's fields (the package check compares them).
# The build folder holds the same METADATA, so PYTHONPATH=build/python has the version too.
# Read by python/CMakeLists.txt after the package's install rules.
option(ZEL_PYTHON_DIST_INFO "Install zeltiff16's dist-info with the module (setup.py's wheel brings its own)" ON)

set(ZEL_DIST_INFO zeltiff16-${PROJECT_VERSION}.dist-info)
# One dist-info in the build folder: an older version's would leave the version ambiguous.
file(GLOB ZEL_STALE_DIST_INFOS LIST_DIRECTORIES true ${CMAKE_CURRENT_BINARY_DIR}/zeltiff16-*.dist-info)
list(REMOVE_ITEM ZEL_STALE_DIST_INFOS ${CMAKE_CURRENT_BINARY_DIR}/${ZEL_DIST_INFO})
if(ZEL_STALE_DIST_INFOS)
  file(REMOVE_RECURSE ${ZEL_STALE_DIST_INFOS})
endif()
configure_file(METADATA.in ${CMAKE_CURRENT_BINARY_DIR}/${ZEL_DIST_INFO}/METADATA @ONLY)

if(ZEL_PYTHON_DIST_INFO)
  # RECORD's paths are relative to the folder holding the package. They carry no hashes,
  # which installed projects may omit: uninstalling needs only the paths.
  set(ZEL_RECORD_LINES ${ZEL_PYTHON_PACKAGE_FILES} $<TARGET_FILE_NAME:zeltiff16_python>)
  list(TRANSFORM ZEL_RECORD_LINES PREPEND zeltiff16/)
  list(TRANSFORM ZEL_RECORD_LINES APPEND ,,)
  foreach(file IN ITEMS METADATA INSTALLER RECORD)
    list(APPEND ZEL_RECORD_LINES "${ZEL_DIST_INFO}/${file},,")
  endforeach()
  list(JOIN ZEL_RECORD_LINES "\n" ZEL_RECORD)
  set(ZEL_INSTALL_DIST_INFO ${CMAKE_CURRENT_BINARY_DIR}/dist-info-for-install)
  file(GENERATE OUTPUT ${ZEL_INSTALL_DIST_INFO}/RECORD CONTENT "${ZEL_RECORD}\n")
  file(GENERATE OUTPUT ${ZEL_INSTALL_DIST_INFO}/INSTALLER CONTENT "cmake\n")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${ZEL_DIST_INFO}/METADATA ${ZEL_INSTALL_DIST_INFO}/INSTALLER
                ${ZEL_INSTALL_DIST_INFO}/RECORD
          DESTINATION "${ZEL_PYTHON_DESTINATION}/${ZEL_DIST_INFO}" COMPONENT python)
endif()
