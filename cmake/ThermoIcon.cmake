# The program's icon: the SVG drawn for it, and PNG pictures rendered from it
# at build time for desktops that want bitmaps and for the window itself.
find_program(THERMO_RSVG_CONVERT rsvg-convert REQUIRED)
set(THERMO_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/linux/thermologger.svg)
set(THERMO_ICON_SIZES 48 256)

# Builds the rendered pictures into target as the resources
# :/icons/<size>/thermologger.png, and installs them with the SVG into the
# desktop's icon theme, where the desktop entry's "Icon=thermologger" finds them.
function(thermo_icon target)
  set(pngs "")
  foreach(size ${THERMO_ICON_SIZES})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/icons/${size})
    add_custom_command(OUTPUT ${dir}/thermologger.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${THERMO_RSVG_CONVERT} -w ${size} -h ${size} -o ${dir}/thermologger.png ${THERMO_ICON_SVG}
      DEPENDS ${THERMO_ICON_SVG}
      COMMENT "Rendering the ${size} px icon"
      VERBATIM)
    list(APPEND pngs ${dir}/thermologger.png)
    install(FILES ${dir}/thermologger.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
  qt_add_resources(${target} thermologger_icon
    PREFIX /icons BASE ${CMAKE_CURRENT_BINARY_DIR}/icons FILES ${pngs})
  install(FILES ${THERMO_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps)
endfunction()
