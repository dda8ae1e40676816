# Sourced by install.sh once the files are in $prefix: what the desktop gets.
# The scene-file type as GLib's MIME database sees it, the thumbnailer's Exec
# line run as a file manager runs it, and the validators of the desktop entry
# and the AppStream metadata. Nothing is written outside $work.
id=io.github.vextal.Vextal

for file in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/mime/packages/$id.xml share/thumbnailers/vextal.thumbnailer; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for size in 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x$size" ] \
        || fail "icon ${size}x$size: $(identify "$icon" 2>&1)"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" >"$work/desktop.log" 2>&1 \
    || fail "desktop-file-validate: $(cat "$work/desktop.log")"
grep -v ': hint: ' "$work/desktop.log" | grep . && fail "desktop-file-validate warns"
# Two main categories put the entry twice in the menu.
grep 'more than one main category' "$work/desktop.log" && fail "the menu entry has more than one main category"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 \
    || fail "appstreamcli validate: $(cat "$work/appstream.log")"
grep -E '^[EW]: ' "$work/appstream.log" && fail "appstreamcli reports errors or warnings"

# The type by extension, by the literal name conf.txt, and by content for a
# name without an extension; a plain .txt file stays plain text. The
# database is made in a copy, so the install stays as packaged.
mkdir -p "$work/data/mime" "$work/home" "$work/files"
cp -r "$prefix/share/mime/packages" "$work/data/mime/"
update-mime-database "$work/data/mime" || fail "update-mime-database failed"
content_type() { # file
    XDG_DATA_HOME="$work/home" XDG_DATA_DIRS="$work/data:/usr/share" \
        gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
examples=("$prefix"/share/vextal/examples/*.vextal)
cp "$prefix/share/vextal/examples/sphere.vextal" "$work/files/conf.txt"
printf '"tss\nrender\n' >"$work/files/torus"
echo "a note, not a scene" >"$work/files/note.txt"
for file in "${examples[@]}" "$work/files/conf.txt" "$work/files/torus"; do
    [ "$(content_type "$file")" = text/x-vextal-scene ] \
        || fail "$(basename "$file") is $(content_type "$file"), not a scene"
done
[ "$(content_type "$work/files/note.txt")" = text/plain ] \
    || fail "note.txt is $(content_type "$work/files/note.txt"), not plain text"

# The thumbnailer as a file manager runs it: the Exec line with its fields
# filled in, no display, the installed program first on the PATH.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/thumbnailers/vextal.thumbnailer")
for file in "${examples[@]}"; do
    thumbnail="$work/thumbnail-$(basename "$file" .vextal).png"
    command=${exec_line//%s/256}
    command=${command//%i/$file}
    command=${command//%o/$thumbnail}
    read -ra argv <<<"$command"
    env -u DISPLAY -u WAYLAND_DISPLAY PATH="$prefix/bin:$PATH" "${argv[@]}" >"$work/thumbnailer.log" 2>&1 \
        || fail "thumbnailer on $(basename "$file"): $(cat "$work/thumbnailer.log")"
    [ "$(identify -format '%m %wx%h %A' "$thumbnail" 2>/dev/null)" = "PNG 256x256 True" ] \
        || fail "thumbnail of $(basename "$file"): $(identify "$thumbnail" 2>&1)"
done
