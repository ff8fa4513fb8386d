# Windows' DLLs that only some runs call (the settings dialog's controls and file dialog, the shell, COM for
# the imaging component) are loaded when first called instead of when the program starts, so that the
# show's screen turns black sooner. Each gets a delay-load import library, made once at configure time from
# the toolchain's own import library with binutils' dlltool; where the tools are missing the DLL is linked
# as usual, and so it is in the 32-bit build, where the delay-load tables dlltool writes are not the ones the
# toolchain's loader helper reads (the first call jumps to nowhere).
#
#   pictavo_delay_load(VAR dll...)   sets VAR to what to link instead of the DLLs' import libraries
function(pictavo_delay_load var)
  set(libs)
  foreach(dll IN LISTS ARGN)
    set(delay ${CMAKE_BINARY_DIR}/delay-load/lib${dll}-delay.a)
    if(NOT EXISTS ${delay} AND CMAKE_NM AND CMAKE_DLLTOOL AND CMAKE_SIZEOF_VOID_P EQUAL 8)
      unset(import)
      find_file(import lib${dll}.a PATHS ${CMAKE_FIND_ROOT_PATH}/lib NO_DEFAULT_PATH NO_CACHE)
      if(import)
        execute_process(COMMAND ${CMAKE_NM} -g ${import} OUTPUT_VARIABLE symbols ERROR_QUIET)
        # "I __imp_Name" for each function the DLL exports.
        string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
        set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
        foreach(symbol IN LISTS imports)
          string(REGEX REPLACE "^ I __imp_" "" name "${symbol}")
          string(APPEND def "${name}\n")
        endforeach()
        file(WRITE ${CMAKE_BINARY_DIR}/delay-load/${dll}.def "${def}")
        execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${CMAKE_BINARY_DIR}/delay-load/${dll}.def
                                --dllname ${dll}.dll --output-delaylib ${delay}
                        RESULT_VARIABLE failed ERROR_QUIET OUTPUT_QUIET)
        if(failed)
          file(REMOVE ${delay})
        endif()
      endif()
    endif()
    if(EXISTS ${delay})
      list(APPEND libs ${delay})
    else()
      list(APPEND libs ${dll})
    endif()
  endforeach()
  if(NOT libs STREQUAL ARGN)
    list(APPEND libs delayimp)
  endif()
  set(${var} ${libs} PARENT_SCOPE)
endfunction()
