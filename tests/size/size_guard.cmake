# Fails when the shipped program has grown past its size limit:
#   cmake -Dprogram=FILE -Dlimit=BYTES -P size_guard.cmake
# bench/size-report.py shows what the program is made of.
file(SIZE "${program}" size)
if(size GREATER limit)
  message(FATAL_ERROR "${program} is ${size} bytes stripped, more than the limit of ${limit}")
endif()
message(STATUS "${program}: ${size} bytes stripped (limit ${limit})")
