# Makes a C++ source of Android's key layout labels (keylayout-labels.txt), so that keypad-tool
# carries them and reads no file for them at run time. The vendor tree's genrule
# (tools/keypad_tool/Android.bp) writes the same source.
#   cmake -DIN=keylayout-labels.txt -DOUT=keylayout_labels.cpp -P embed_labels.cmake
file(READ "${IN}" text)
string(REGEX REPLACE "\n$" "" text "${text}")
string(REPLACE "\\" "\\\\" text "${text}")
string(REPLACE "\"" "\\\"" text "${text}")
string(REPLACE "\n" "\\n\"\n\"" text "${text}")
file(WRITE "${OUT}.new" "extern const char kKeylayoutLabelsText[];\n"
                        "const char kKeylayoutLabelsText[] =\n\"${text}\\n\"\n;\n")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
