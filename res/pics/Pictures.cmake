# Our own artwork and alarm sound, drawn and synthesised by two small
# generators at build time (included from res/CMakeLists.txt): the bitmaps
# become the resources of lift_pics, linked by the libraries that draw with
# them; the two JPEG pictures and the WAV go into the data folder beside the
# executable.
add_executable(mkpics ${PROJECT_SOURCE_DIR}/tools/mkpics/MakePictures.cpp)
target_link_libraries(mkpics PRIVATE Qt6::Gui)
target_include_directories(mkpics PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(mkpics PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
add_executable(mkwav ${PROJECT_SOURCE_DIR}/tools/mkwav/MakeAlarmSound.cpp)
set_target_properties(mkwav PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
lift_build_tool(mkpics)
lift_build_tool(mkwav)

set(lift_bmp_dir ${CMAKE_CURRENT_BINARY_DIR}/pics)
set(lift_pic_dir ${CMAKE_BINARY_DIR}/bin/SoftResoure/Pic)
set(lift_wav ${CMAKE_BINARY_DIR}/bin/SoftResoure/AlarmSound/Error.wav)
set(lift_bitmaps bmp137.png bmp181.png bmp158.png bmp161.png bmp171.png bmp173.png bmp176.png bmp179.png ico1177.png)
foreach(k RANGE 138 149)
  list(APPEND lift_bitmaps bmp${k}.png)
endforeach()
list(TRANSFORM lift_bitmaps PREPEND ${lift_bmp_dir}/ OUTPUT_VARIABLE lift_bitmap_files)

add_custom_command(
  OUTPUT ${lift_bitmap_files} ${lift_pic_dir}/LoadPic.jpg ${lift_pic_dir}/LogoPic.jpg
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:mkpics> ${lift_bmp_dir} ${lift_pic_dir}
  DEPENDS mkpics
  COMMENT "Drawing the station's pictures"
  VERBATIM)
add_custom_command(
  OUTPUT ${lift_wav}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/SoftResoure/AlarmSound
  COMMAND $<TARGET_FILE:mkwav> ${lift_wav}
  DEPENDS mkwav
  COMMENT "Synthesising the alarm sound"
  VERBATIM)
add_custom_target(lift_pictures_sound ALL DEPENDS
  ${lift_pic_dir}/LoadPic.jpg ${lift_pic_dir}/LogoPic.jpg ${lift_wav})

add_library(lift_pics STATIC pics/BitmapResource.cpp pics/BitmapResource.h)
target_include_directories(lift_pics PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(lift_pics PUBLIC Qt6::Gui)
qt_add_resources(lift_pics "lift_pics" PREFIX "/pics" BASE ${lift_bmp_dir} FILES ${lift_bitmap_files})
# Whatever draws the pictures also finds the data folder laid out.
add_dependencies(lift_pics lift_pictures_sound)
