"""Writes .seq project files byte for byte as reelwright.exe stores them: the
project mark and version, the root's record with every node below it as an
archive object (class described once, then referred to by its index), and
the settings record."""
import struct

PROJECT_MARK = 0xFACEFEED
PROJECT_VERSION = 1
NEW_CLASS = 0xFFFF
CLASS_INDEX = 0x8000


class Node:
    """A project node: its class name, its name, the file path of a leaf (an
    image or a movie; None for a sequence) and its children."""

    def __init__(self, class_name, name, path=None, children=()):
        self.class_name, self.name, self.path, self.children = class_name, name, path, list(children)


def image(path):
    return Node("cImageFile", path, path)


def movie(path):
    return Node("cAVIFile", path, path)


def sequence(name, children):
    return Node("cImageList", name, None, children)


class Settings:
    """The export settings record; a new project's values by default."""

    def __init__(self, output="", transparency=1, expand=0, frame_rate=5, loop_count=0, reserved=0):
        self.output, self.transparency, self.expand = output, transparency, expand
        self.frame_rate, self.loop_count, self.reserved = frame_rate, loop_count, reserved


def string(text):
    data = text.encode("cp1252")
    if len(data) < 255:
        return struct.pack("<B", len(data)) + data
    assert len(data) < 65534, "longer strings have another encoding"
    return struct.pack("<BH", 0xFF, len(data)) + data


class _Archive:
    """The storing side of the object archive. Class descriptions and objects
    share one numbering from 1, in the order they are written."""

    def __init__(self):
        self.data = bytearray()
        self.next_index = 1
        self.class_index = {}

    def node_record(self, node):
        self.data += struct.pack("<H", len(node.children))
        for child in node.children:
            self.object(child)
        self.data += struct.pack("<I", 0) + string(node.name)   # node version, name
        self.data += struct.pack("<I", 0)                        # list version
        if node.path is not None:
            self.data += struct.pack("<I", 0) + string(node.path)   # file version, path

    def object(self, node):
        if node.class_name in self.class_index:
            self.data += struct.pack("<H", CLASS_INDEX + self.class_index[node.class_name])
        else:
            name = node.class_name.encode("ascii")
            self.data += struct.pack("<HHH", NEW_CLASS, 0, len(name)) + name   # schema 0
            self.class_index[node.class_name] = self.next_index
            self.next_index += 1
        self.next_index += 1    # the object's own index, taken before its children
        self.node_record(node)


def project_bytes(top_level, settings):
    """The file of a project whose root (unnamed) holds the top_level nodes."""
    archive = _Archive()
    archive.data += struct.pack("<II", PROJECT_MARK, PROJECT_VERSION)
    # The root's record has no object tag: the reader knows what it is.
    archive.node_record(sequence("", top_level))
    archive.data += struct.pack("<I", 0) + string(settings.output)
    archive.data += struct.pack("<IIHHH", settings.transparency, settings.expand,
                                settings.frame_rate, settings.loop_count, settings.reserved)
    return bytes(archive.data)
