# Writes a C++ source that holds the bytes of a file as a constant array, so that a program
# carries the file with it and finds nothing at run time. Run in script mode:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DNAME=kName -DHEADER=folder/header.h -P EmbedFile.cmake
# The source defines NAME (the bytes) and NAMESize (their count), declared in HEADER.
foreach(variable INPUT OUTPUT NAME HEADER)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "EmbedFile.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes to a line keeps the source readable to tools that choke on long lines.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 row)
string(REGEX REPLACE "(${row})" "\\1\n" bytes "${bytes}")
get_filename_component(file_name "${INPUT}" NAME)

set(source "// The bytes of ${file_name}, written by cmake/EmbedFile.cmake: do not edit.
#include \"${HEADER}\"

const unsigned char ${NAME}[] = {
${bytes}
};
const std::size_t ${NAME}Size = sizeof ${NAME};
")
file(WRITE "${OUTPUT}" "${source}")
