# The rules every target of the project is compiled under, as interface
# targets that huntmark_apply_build_rules() links into each of them: new
# targets get them without anyone remembering to add them.
#
# huntmark_warnings: the warnings the code is kept clean of. CI builds with
# HUNTMARK_WERROR=ON, so a new warning fails it; a local build only reports
# them, since another compiler may warn where this one does not.
option(HUNTMARK_WERROR "Treat compiler warnings as errors" OFF)

add_library(huntmark_warnings INTERFACE)
target_compile_options(huntmark_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
  -Wnon-virtual-dtor -Woverloaded-virtual)
if(HUNTMARK_WERROR)
  target_compile_options(huntmark_warnings INTERFACE -Werror)
endif()

# huntmark_qt_strict: no silent conversion between 8-bit strings and QString
# (each one names its encoding), no connect() that narrows an argument, none
# of Qt's lower-case keywords (signals, slots, emit: they clash with other
# libraries' names), no foreach, string concatenation through QStringBuilder,
# and nothing Qt deprecated up to the version Debian ships.
add_library(huntmark_qt_strict INTERFACE)
target_compile_definitions(huntmark_qt_strict INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_KEYWORDS QT_NO_FOREACH QT_USE_QSTRINGBUILDER QT_DISABLE_DEPRECATED_UP_TO=0x060400)

# Links the rules into every compiled target defined in `dir` and below.
function(huntmark_apply_build_rules dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_link_libraries(${target} PRIVATE huntmark_warnings huntmark_qt_strict)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    huntmark_apply_build_rules(${subdir})
  endforeach()
endfunction()
