#!/usr/bin/python3
"""A paste target for end-to-end tests: one Tk Text widget with keyboard focus.

Usage: target-window.py TITLE OUTFILE
Every change of the text is written to OUTFILE (atomically), so a test reads what
landed without looking at the screen. The file exists, empty, once the window is up.
"""
import os
import sys
import tkinter as tk


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: target-window.py TITLE OUTFILE\n")
        return 2
    title, out = sys.argv[1], sys.argv[2]
    root = tk.Tk()
    root.title(title)
    root.geometry("640x240+80+80")
    text = tk.Text(root, font=("Noto Sans CJK SC", 14))
    text.pack(fill=tk.BOTH, expand=True)

    def save(*_):
        content = text.get("1.0", "end-1c")
        tmp = out + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(content)
        os.replace(tmp, out)
        text.edit_modified(False)

    text.bind("<<Modified>>", save)
    save()

    def grab_focus():
        root.lift()
        root.focus_force()
        text.focus_set()

    root.after(100, grab_focus)
    root.mainloop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
