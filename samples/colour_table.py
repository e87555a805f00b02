"""Entry lines of tintswap's colour table files."""


def entry_line(from_rgb, to_rgb):
    """One entry: from red, green, blue, then to red, green, blue."""
    return "%03d %03d %03d %03d %03d %03d\n" % (tuple(from_rgb) + tuple(to_rgb))
