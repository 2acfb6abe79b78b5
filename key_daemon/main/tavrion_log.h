// Every daemon message goes to the Android log at debug priority under one tag.
#pragma once

#include <android/log.h>

#define TAVRION_LOG_TAG "tavrion"
#define TLOGD(...) __android_log_print(ANDROID_LOG_DEBUG, TAVRION_LOG_TAG, __VA_ARGS__)
