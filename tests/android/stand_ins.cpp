// The off-device stand-ins for Android's log and properties must declare what AOSP declares: code
// that compiles against them here and not on the set would be found only by a vendor tree. This
// file compiles only while they agree. AOSP's headers come first; the stand-ins' declarations then
// go into a namespace of their own, where an extern "C" function of the same name with another
// signature is an error, their enumerators must have AOSP's values and their sizes AOSP's sizes.
// (The stand-ins include nothing, which is what lets them be read inside a namespace.)
#include <android/log.h>
#include <cutils/properties.h>

constexpr int kAospKeyMax = PROPERTY_KEY_MAX;
constexpr int kAospValueMax = PROPERTY_VALUE_MAX;
#undef PROPERTY_KEY_MAX
#undef PROPERTY_VALUE_MAX

namespace stand_in {
#include "../../platform/android_sim/include/android/log.h"
#include "../../platform/android_sim/include/cutils/properties.h"
}  // namespace stand_in

static_assert(PROPERTY_KEY_MAX == kAospKeyMax, "property name size");
static_assert(PROPERTY_VALUE_MAX == kAospValueMax, "property value size");

#define SAME_PRIORITY(name) static_assert(int{stand_in::name} == int{name}, #name)
SAME_PRIORITY(ANDROID_LOG_UNKNOWN);
SAME_PRIORITY(ANDROID_LOG_DEFAULT);
SAME_PRIORITY(ANDROID_LOG_VERBOSE);
SAME_PRIORITY(ANDROID_LOG_DEBUG);
SAME_PRIORITY(ANDROID_LOG_INFO);
SAME_PRIORITY(ANDROID_LOG_WARN);
SAME_PRIORITY(ANDROID_LOG_ERROR);
SAME_PRIORITY(ANDROID_LOG_FATAL);
SAME_PRIORITY(ANDROID_LOG_SILENT);
