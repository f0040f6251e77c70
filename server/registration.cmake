# Self-registration, part of VLPDMenu.dll.
target_sources(VLPDMenu PRIVATE registration.cpp)
