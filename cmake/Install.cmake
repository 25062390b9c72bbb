# `cmake --install BUILD` puts Tarnwick.so where hosts look for Linux VST plug-ins:
# - without a prefix: the first folder of $LXVST_PATH when it is set, else ~/.vst;
# - with one (`--prefix P` or CMAKE_INSTALL_PREFIX at configure time): P/lib/vst.
# It also creates the folder that keeps the recent bank files (the plug-in itself never creates it), unless
# DESTDIR stages the install for a package. The choice is made when the install runs, so the variables of
# that shell count.
#
# Whether the prefix was chosen is known only at the first configure; the cache remembers the default.
if(NOT DEFINED TARNWICK_DEFAULT_PREFIX)
  if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR NOT DEFINED CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(TARNWICK_DEFAULT_PREFIX "${CMAKE_INSTALL_PREFIX}" CACHE INTERNAL "the install prefix nobody chose")
  else()
    set(TARNWICK_DEFAULT_PREFIX "" CACHE INTERNAL "the install prefix nobody chose")
  endif()
endif()
install(CODE "
  if(\"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"${TARNWICK_DEFAULT_PREFIX}\")
    if(NOT \"\$ENV{LXVST_PATH}\" STREQUAL \"\")
      string(REPLACE \":\" \";\" folders \"\$ENV{LXVST_PATH}\")
      list(GET folders 0 destination)
    elseif(NOT \"\$ENV{HOME}\" STREQUAL \"\")
      set(destination \"\$ENV{HOME}/.vst\")
    else()
      message(FATAL_ERROR \"HOME is not set: give the plug-in folder with --prefix\")
    endif()
  else()
    set(destination \"\${CMAKE_INSTALL_PREFIX}/lib/vst\")
  endif()
  file(INSTALL DESTINATION \"\${destination}\" TYPE MODULE FILES \"$<TARGET_FILE:Tarnwick>\")
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    set(config \"\$ENV{XDG_CONFIG_HOME}\")
    if(NOT config MATCHES \"^/\")
      set(config \"\$ENV{HOME}/.config\")
    endif()
    set(recent \"\${config}/Software/Pemberlo Audio/Tarnwick/Recent\")
    if(NOT EXISTS \"\${recent}\")
      file(MAKE_DIRECTORY \"\${recent}\")
      message(STATUS \"Created the recent bank files folder: \${recent}\")
    endif()
  endif()
")

# The LV2 bundle (build/Tarnwick.lv2, the whole folder) goes where hosts look for LV2 plug-ins, chosen the same
# way when the install runs:
# - without a prefix: the first folder of $LV2_PATH when it is set (a leading ~ is the home folder), else ~/.lv2;
# - with one: P/lib/lv2.
if(TARNWICK_LV2)
  install(CODE "
    if(\"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"${TARNWICK_DEFAULT_PREFIX}\")
      set(destination \"\")
      string(REPLACE \":\" \";\" folders \"\$ENV{LV2_PATH}\")
      foreach(folder IN LISTS folders)
        if(destination STREQUAL \"\" AND NOT folder STREQUAL \"\")
          set(destination \"\${folder}\")
        endif()
      endforeach()
      if(destination STREQUAL \"\")
        set(destination \"~/.lv2\")
      endif()
      if(destination MATCHES \"^~(/|$)\")
        if(\"\$ENV{HOME}\" STREQUAL \"\")
          message(FATAL_ERROR \"HOME is not set: give the plug-in folder with --prefix or LV2_PATH\")
        endif()
        string(REGEX REPLACE \"^~\" \"\$ENV{HOME}\" destination \"\${destination}\")
      endif()
      if(NOT IS_ABSOLUTE \"\${destination}\")
        message(FATAL_ERROR \"LV2_PATH's first folder is not an absolute path: \${destination}\")
      endif()
    else()
      set(destination \"\${CMAKE_INSTALL_PREFIX}/lib/lv2\")
    endif()
    file(INSTALL DESTINATION \"\${destination}\" TYPE DIRECTORY USE_SOURCE_PERMISSIONS FILES \"${TARNWICK_LV2_BUNDLE}\")
  ")
endif()
