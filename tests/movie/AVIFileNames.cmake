# The names that the program binds from the AVIFile library.
set(AVIFILE_NAMES
    AVIFileInit AVIFileExit AVIFileRelease AVIFileOpenA AVIFileInfoA AVIFileGetStream
    AVIFileCreateStream AVIStreamRelease AVIStreamReadFormat AVIStreamSetFormat AVIStreamWrite
    AVIStreamGetFrameOpen AVIStreamGetFrame AVIStreamGetFrameClose AVIStreamRead)
