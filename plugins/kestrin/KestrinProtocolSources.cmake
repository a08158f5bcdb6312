# The pure half of Kestrin: wire protocol, framing, string helpers and command
# translation. No socket or window header, so the cross build and the native
# fuzz build (fuzz/CMakeLists.txt) compile the same list.
set(KESTRIN_PROTOCOL_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KESTRIN_PROTOCOL_SOURCES
  ${KESTRIN_PROTOCOL_DIR}/AutoProtocol.cpp
  ${KESTRIN_PROTOCOL_DIR}/AutoChannelLayout.cpp
  ${KESTRIN_PROTOCOL_DIR}/AutoStrings.cpp
  ${KESTRIN_PROTOCOL_DIR}/CStrTokenizer.cpp
  ${KESTRIN_PROTOCOL_DIR}/CAutoFramer.cpp
  ${KESTRIN_PROTOCOL_DIR}/CAutoStateMasks.cpp
  ${KESTRIN_PROTOCOL_DIR}/CAutoChannel.cpp
  ${KESTRIN_PROTOCOL_DIR}/CAutoRequestTable.cpp
  ${KESTRIN_PROTOCOL_DIR}/AutoTranslate.cpp
)
