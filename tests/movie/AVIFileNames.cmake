# The 50 names that the movie reader binds from the AVIFile library.
set(AVIFILE_NAMES
    AVIFileInit AVIFileExit AVIFileAddRef AVIFileRelease AVIFileOpenA AVIFileInfoA
    AVIFileGetStream AVIFileCreateStream AVIFileWriteData AVIFileReadData AVIFileEndRecord
    AVIStreamAddRef AVIStreamRelease AVIStreamInfoA AVIStreamFindSample AVIStreamReadFormat
    AVIStreamSetFormat AVIStreamReadData AVIStreamWriteData AVIStreamRead AVIStreamWrite
    AVIStreamStart AVIStreamLength AVIStreamTimeToSample AVIStreamSampleToTime
    AVIStreamBeginStreaming AVIStreamEndStreaming AVIStreamGetFrameOpen AVIStreamGetFrame
    AVIStreamGetFrameClose AVIStreamOpenFromFileA AVIStreamCreate AVIMakeCompressedStream
    AVISaveA AVISaveVA AVISaveOptions AVISaveOptionsFree AVIBuildFilterA AVIMakeFileFromStreams
    AVIMakeStreamFromClipboard AVIPutFileOnClipboard AVIGetFromClipboard AVIClearClipboard
    CreateEditableStream EditStreamCut EditStreamCopy EditStreamPaste EditStreamClone
    EditStreamSetNameA EditStreamSetInfoA)
