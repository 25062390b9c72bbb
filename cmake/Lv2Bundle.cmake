# The LV2 bundle, build/Tarnwick.lv2/: the Turtle that tarnwick-lv2-turtle writes from the parameter table
# (plugin/lv2), and the binaries that tarnwick_lv2_bundle_add_binary copies in. The target tarnwick_lv2_bundle
# (part of ALL) builds all of it; cmake/Install.cmake installs the folder.
set(TARNWICK_LV2_BUNDLE ${CMAKE_BINARY_DIR}/Tarnwick.lv2)
add_custom_target(tarnwick_lv2_bundle ALL)

# LV2 versions: the plug-in's URI is its major version, an even minor and micro version make a release and
# minor version 0 is a development version. Tarnwick X.Y.Z is LV2 version 2(100X + Y).2Z (1.0 is 200.0):
# every release of the project is an even LV2 version, and later releases have higher ones.
if(PROJECT_VERSION_PATCH STREQUAL "")
  set(patch 0)
else()
  set(patch ${PROJECT_VERSION_PATCH})
endif()
math(EXPR TARNWICK_LV2_MINOR_VERSION "2 * (100 * ${PROJECT_VERSION_MAJOR} + ${PROJECT_VERSION_MINOR})")
math(EXPR TARNWICK_LV2_MICRO_VERSION "2 * ${patch}")
unset(patch)

# tarnwick_lv2_bundle_add_binary(TARGET)
# Copies TARGET's file into the bundle after every link of it, and makes tarnwick_lv2_bundle build it. Call it
# in the folder that defines TARGET. manifest.ttl names the binaries (plugin/lv2/PortLayout.h): the plug-in
# is Tarnwick_lv2.so and its UI Tarnwick_lv2ui.so, so the target must make a file of one of those names
# (e.g. set_target_properties(T PROPERTIES PREFIX "" OUTPUT_NAME Tarnwick_lv2)).
function(tarnwick_lv2_bundle_add_binary target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARNWICK_LV2_BUNDLE}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${TARNWICK_LV2_BUNDLE}/
    COMMENT "Copying ${target} into the LV2 bundle"
    VERBATIM)
  add_dependencies(tarnwick_lv2_bundle ${target})
endfunction()
