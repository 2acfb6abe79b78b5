# The set's own libraries in place of platform/'s stand-ins, for a build of the daemon with the
# Android NDK (armeabi-v7a, API 34). The NDK brings liblog and the C library; it has neither
# libcutils (property_get) nor the chip SDK, so the build takes them, and tinyxml2, from the
# vendor tree's output:
#
#   TAVRION_DEVICE_LIB_DIR      folder with libhi_msp.so, libhicust.so, libhi_securec.so and
#                               libcutils.so built for the set (e.g. <out>/vendor/lib)
#   TAVRION_CUTILS_INCLUDE_DIR  folder holding cutils/properties.h (system/core/libcutils/include)
#   TINYXML2_INCLUDE_DIR        folder holding tinyxml2.h (external/tinyxml2)
#   TINYXML2_LIBRARY            libtinyxml2.so built for the set
#
# The targets keep the names that key_daemon/ links; here they are the real libraries.

set(TAVRION_DEVICE_LIB_DIR "" CACHE PATH "Folder with the set's libhi_msp, libhicust, libhi_securec and libcutils")
set(TAVRION_CUTILS_INCLUDE_DIR "" CACHE PATH "Folder holding cutils/properties.h")

function(tavrion_device_library target file)
  set(path ${TAVRION_DEVICE_LIB_DIR}/${file})
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "${path} not found: set TAVRION_DEVICE_LIB_DIR to the folder holding the "
                        "set's libhi_msp.so, libhicust.so, libhi_securec.so and libcutils.so")
  endif()
  add_library(${target} SHARED IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${path})
endfunction()

tavrion_device_library(hi_msp libhi_msp.so)
tavrion_device_library(hicust libhicust.so)
tavrion_device_library(hi_securec libhi_securec.so)
tavrion_device_library(tavrion_cutils libcutils.so)

if(NOT EXISTS ${TAVRION_CUTILS_INCLUDE_DIR}/cutils/properties.h)
  message(FATAL_ERROR "set TAVRION_CUTILS_INCLUDE_DIR to the folder holding cutils/properties.h")
endif()

# <android/log.h> comes with the NDK; <cutils/properties.h> from the vendor tree.
add_library(android_sim_headers INTERFACE)
target_include_directories(android_sim_headers INTERFACE ${TAVRION_CUTILS_INCLUDE_DIR})

add_library(android_log_sim INTERFACE)
target_link_libraries(android_log_sim INTERFACE log)

add_library(android_props_sim INTERFACE)
target_link_libraries(android_props_sim INTERFACE tavrion_cutils)
