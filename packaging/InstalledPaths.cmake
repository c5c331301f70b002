# Runs at install time, when the prefix is known, for one layout of the game
# (see orbivane_install_layout in CMakeLists.txt). Given ORBIVANE_BINDIR,
# ORBIVANE_PROGRAMDIR and ORBIVANE_DATADIR (each absolute, or relative to the
# prefix) it writes into ORBIVANE_WRITTEN_DIR the `orbivane` command, which
# finds the program and the data from its own place, and the menu entry, which
# names the command by its full path. It leaves the full directories in
# ORBIVANE_FULL_BINDIR, ORBIVANE_FULL_PROGRAMDIR and ORBIVANE_FULL_DATADIR for
# the install steps that follow.

cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX BASE_DIRECTORY "$ENV{PWD}" NORMALIZE OUTPUT_VARIABLE prefix)
foreach(dir BINDIR PROGRAMDIR DATADIR)
  cmake_path(ABSOLUTE_PATH ORBIVANE_${dir} BASE_DIRECTORY "${prefix}" NORMALIZE OUTPUT_VARIABLE full)
  string(REGEX REPLACE "(.)/$" "\\1" ORBIVANE_FULL_${dir} "${full}")
endforeach()

# The way from the command's folder to another folder, quoted for the shell.
function(orbivane_way_from_bindir full_dir out)
  file(RELATIVE_PATH way "${ORBIVANE_FULL_BINDIR}" "${full_dir}")
  if(way STREQUAL "")
    set(way .)
  endif()
  string(REPLACE "'" "'\\''" way "${way}")
  set(${out} "'${way}'" PARENT_SCOPE)
endfunction()
orbivane_way_from_bindir("${ORBIVANE_FULL_PROGRAMDIR}" ORBIVANE_PROGRAM_FROM_BIN)
orbivane_way_from_bindir("${ORBIVANE_FULL_DATADIR}" ORBIVANE_DATA_FROM_BIN)
configure_file("${CMAKE_CURRENT_LIST_DIR}/orbivane.sh.in" "${ORBIVANE_WRITTEN_DIR}/orbivane" @ONLY)

# The command as the Exec key of a desktop entry: a path with a blank or
# another character that the desktop's command line reserves is quoted, a
# per cent sign is doubled, and backslashes are escaped once more for the
# key's own string syntax.
set(command "${ORBIVANE_FULL_BINDIR}/orbivane")
if(command MATCHES "[\n\r]")
  message(FATAL_ERROR "A menu entry cannot start a command whose path holds a line break: ${command}")
endif()
if(command MATCHES [=[[] 	"'\<>~|&;$*?#()`]]=])
  string(REGEX REPLACE [=[(["`$\])]=] [=[\\\1]=] command "${command}")
  set(command "\"${command}\"")
endif()
string(REPLACE "%" "%%" command "${command}")
string(REPLACE "\\" "\\\\" ORBIVANE_DESKTOP_EXEC "${command}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/orbivane.desktop.in" "${ORBIVANE_WRITTEN_DIR}/orbivane.desktop" @ONLY)

# Installed with its data in the player's own folder (the prefix ~/.local),
# the game may find there the links that another installation's command made
# to its own shader/ and res/. Copying through them would write into that
# installation, so the links go; this installation's folders take their place.
foreach(name shader res)
  set(link "$ENV{DESTDIR}${ORBIVANE_FULL_DATADIR}/${name}")
  if(IS_SYMLINK "${link}")
    message(STATUS "Removing ${link}, a link to another installation")
    file(REMOVE "${link}")
  endif()
endforeach()
