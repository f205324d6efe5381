# CMake's moc step for Ninja reruns only when a header it already knew changes, so a new
# Q_OBJECT header that a re-glob adds to an existing build is never run through moc and the
# link fails. When a target's source list changes, drop its moc timestamp so that the moc step
# runs again. Clean builds are not affected.
function(orris_autogen_follows_sources target)
    string(REPLACE ";" "\n" listing "${ARGN}")
    set(listing_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
    set(previous "")
    if(EXISTS ${listing_file})
        file(READ ${listing_file} previous)
    endif()
    if(NOT previous STREQUAL listing)
        file(WRITE ${listing_file} "${listing}")
        file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
    endif()
endfunction()
