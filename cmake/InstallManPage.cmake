# Writes one man page for the install under way, so that it names the data
# folder of the prefix given when installing (cmake --install --prefix, make
# install PREFIX=...), not the one the build was configured for. Run by the
# install with PAGE_IN, PAGE_OUT, PROJECT_VERSION and DATA_DIR (the
# programs' data folder, relative to the prefix or absolute) set.
if(IS_ABSOLUTE "${DATA_DIR}")
  set(CAVEL_INSTALL_FULL_DATADIR "${DATA_DIR}")
else()
  set(CAVEL_INSTALL_FULL_DATADIR "${CMAKE_INSTALL_PREFIX}/${DATA_DIR}")
endif()
configure_file("${PAGE_IN}" "${PAGE_OUT}" @ONLY)
