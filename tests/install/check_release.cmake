# The software-centre data names the release being built as its newest one.
file(READ "${FILE}" text)
string(REGEX MATCH "<release version=\"([^\"]*)\"" first "${text}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "newest release in ${FILE} is '${CMAKE_MATCH_1}', the program is ${VERSION}")
endif()
