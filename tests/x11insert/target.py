# A paste target: a Tk text window that mirrors its content into a file and
# logs every key press (keysym and modifier state) into another.
import os
import sys
import tkinter

title, content_path, keys_path = sys.argv[1:4]
root = tkinter.Tk()
root.title(title)
text = tkinter.Text(root)
text.pack()
text.focus_force()


def mirror():
    tmp = content_path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text.get("1.0", "end-1c"))
    os.replace(tmp, content_path)
    root.after(50, mirror)


def log_key(event):
    with open(keys_path, "a", encoding="utf-8") as f:
        f.write("%s %d\n" % (event.keysym, event.state))


root.bind_all("<KeyPress>", log_key, add="+")
root.after(50, mirror)
root.mainloop()
