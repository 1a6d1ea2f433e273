# The window and dialog classes, the control wrappers and the transform buffers, over
# the Win32 subset of platform/.
add_library(zbkframework STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationBase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelessDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ComboBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PushNotifyButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TransformPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TransformBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DctBuffer.cpp
)
target_link_libraries(zbkframework PUBLIC zbkwin32)
