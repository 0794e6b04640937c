# fish completion for zorvak-pak: commands, their options, archives,
# directories, and the names of an archive's entries.
#
# Entry names come from the archive and may hold any byte. They are read
# NUL-ended and handed to fish as data (string split0 keeps a newline inside
# one candidate), which escapes them for the line: nothing of them is
# evaluated. fish matches them whatever their case and puts the name as
# stored in place of the word.

# What the command line holds before the word being completed, NUL-ended:
# the command, 1 when a "--" came (0 else), the option whose value the word
# is (or nothing), then the positional words. Options before the command
# that every command takes are left out, as the tool moves them after it.
function __zorvak_pak_parse
    set -l tokens (commandline -opc)
    set -e tokens[1]
    set -l value
    while set -q tokens[1]
        if string match -qr -- '^(-[vq]+|--verbose|--quiet|--progress=.*)$' $tokens[1]
            set -e tokens[1]
        else if test "$tokens[1]" = --progress
            set -e tokens[1]
            if set -q tokens[1]
                set -e tokens[1]
            else
                set value --progress
            end
        else
            break
        end
    end
    set -l command $tokens[1]
    set -e tokens[1]
    # The options taking a value as the next word.
    set -l valued --progress
    switch "$command"
        case extract
            set valued $valued -C -i
        case build
            set valued $valued -o
        case add
            set valued $valued --as --prefix
        case render
            set valued $valued -o --size --frame --skin --view
    end
    set -l dashes 0
    set -l positional
    while set -q tokens[1]
        set -l word $tokens[1]
        set -e tokens[1]
        if test $dashes = 1; or not string match -q -- '-?*' $word
            set -a positional $word
        else if test "$word" = --
            set dashes 1
        else if contains -- $word $valued
            if set -q tokens[1]
                set -e tokens[1]
            else
                set value $word
            end
        end
    end
    string join0 -- "$command" $dashes "$value" $positional
end

# Whether no command has been given yet.
function __zorvak_pak_needs_command
    set -l p (__zorvak_pak_parse | string split0)
    test -z "$p[1]" -a -z "$p[3]"
end

# Whether the command is $argv[1] and the word is its positional word
# number $argv[2] (from 1; "3+": the third or any after).
function __zorvak_pak_at --argument-names command at
    set -l p (__zorvak_pak_parse | string split0)
    test "$p[1]" = "$command" -a -z "$p[3]"; or return
    set -l n (math (count $p) - 3 + 1)
    if string match -q -- '*+' $at
        test $n -ge (string trim -r -c + -- $at)
    else
        test $n -eq $at
    end
end

# Whether the command is one of $argv.
function __zorvak_pak_using
    set -l p (__zorvak_pak_parse | string split0)
    contains -- "$p[1]" $argv
end

# The archives the tool opens (.pak, .pk3, .zip, .wad in any case) and
# directories, from fish's own file completion of the word.
function __zorvak_pak_archives
    complete -C "__zorvak_pak_no_such_command "(commandline -ct) \
        | string match -ri -- '^[^\t]*(?:\.(?:pak|pk3|zip|wad)|/)(?:\t.*)?$'
end

# The pictures render writes (.png in any case) and directories, as above.
function __zorvak_pak_pictures
    complete -C "__zorvak_pak_no_such_command "(commandline -ct) \
        | string match -ri -- '^[^\t]*(?:\.png|/)(?:\t.*)?$'
end

# The entries of the archive the command line names: their names ($argv[1]
# "name") or patterns matching each exactly ("pattern", for rm, grep and
# extract -i: *, ?, [ and \ escaped). Names starting with "-" only after
# "--", as the tool would take them for options.
function __zorvak_pak_entries --argument-names mode
    set -l p (__zorvak_pak_parse | string split0)
    set -l archive $p[4]
    test "$p[1]" = grep; and set archive $p[5]
    # commandline gives the word unquoted, not expanded: only ~ is.
    set archive (string replace -r -- '^~(?=/|$)' ~ "$archive")
    test -n "$archive" -a -f "$archive"; or return
    set -l names (command zorvak-pak list --null -- $archive 2>/dev/null | string split0)
    set -l status_list $pipestatus[1]
    test $status_list -le 1; or return
    set -l kept
    for name in $names
        test -n "$name"; or continue
        test $p[2] = 1; or not string match -q -- '-*' $name; or continue
        # fish takes what follows a tab in a candidate for its description:
        # such a name could not be offered whole.
        string match -q -- "*"\t"*" $name; and continue
        set -a kept $name
    end
    set -q kept[1]; or return
    if test "$mode" = pattern
        string join0 -- $kept | string replace -ra -- '([\\\\*?[])' '\\\\$1' | string split0
    else
        string join0 -- $kept | string split0
    end
end

complete -c zorvak-pak -e
complete -c zorvak-pak -f

# The commands.
complete -c zorvak-pak -n __zorvak_pak_needs_command -a list -d 'names of the entries'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a extract -d 'entries into a directory'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a cat -d "one entry's bytes to standard output"
complete -c zorvak-pak -n __zorvak_pak_needs_command -a info -d 'what the named entries hold'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a build -d 'pack a directory tree'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a verify -d 'report what would break in a game engine'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a add -d 'store files in an archive'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a rm -d 'delete the matching entries'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a mv -d 'rename an entry'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a compact -d 'drop the bytes edits left unused'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a diff -d 'entries only in A or B, changed, renamed'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a grep -d "the entries' lines that match a pattern"
complete -c zorvak-pak -n __zorvak_pak_needs_command -a mount -d 'the archive as a read-only folder'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a render -d 'a picture of a model or a map'
complete -c zorvak-pak -n __zorvak_pak_needs_command -a help -d 'tell more of one command'
complete -c zorvak-pak -n __zorvak_pak_needs_command -l version -d 'print the version'
complete -c zorvak-pak -n '__zorvak_pak_at help 1' \
    -a 'list extract cat info build verify add rm mv compact diff grep mount render'

# The options every command takes, before or after it.
complete -c zorvak-pak -s v -l verbose -d 'name each file written'
complete -c zorvak-pak -s q -l quiet -d 'print only errors'
complete -c zorvak-pak -l progress -x -a 'auto always never' -d 'a progress line on standard error'
complete -c zorvak-pak -s h -l help -d 'tell how to use it'

# Each command's options.
complete -c zorvak-pak -n '__zorvak_pak_using list' -s l -d 'each line with position and length'
complete -c zorvak-pak -n '__zorvak_pak_using list' -s 0 -l null -d 'end each name with a NUL byte'
complete -c zorvak-pak -n '__zorvak_pak_using list info verify diff' -l json -d 'one JSON document'
complete -c zorvak-pak -n '__zorvak_pak_using extract' -s C -x -a '(__fish_complete_directories)' \
    -d 'write below DIR'
complete -c zorvak-pak -n '__zorvak_pak_using extract' -s i -x -a '(__zorvak_pak_entries pattern)' \
    -d 'the entries matching PATTERN'
complete -c zorvak-pak -n '__zorvak_pak_using extract' -l no-clobber -d 'keep files that exist already'
complete -c zorvak-pak -n '__zorvak_pak_using extract' -l sync \
    -d 'every file on the disk when the run ends'
complete -c zorvak-pak -n '__zorvak_pak_using extract' -l png -d 'also write pictures as PNG files'
complete -c zorvak-pak -n '__zorvak_pak_using build' -s o -x -a '(__zorvak_pak_archives)' \
    -d 'the archive to write'
complete -c zorvak-pak -n '__zorvak_pak_using build' -l sorted -d 'store the files in name order'
complete -c zorvak-pak -n '__zorvak_pak_using add' -l as -x -d 'store the one FILE under NAME'
complete -c zorvak-pak -n '__zorvak_pak_using add' -l prefix -x -d 'store every name below DIR/'
complete -c zorvak-pak -n '__zorvak_pak_using add rm mv compact' -l dry-run \
    -d 'print what would change, change nothing'
complete -c zorvak-pak -n '__zorvak_pak_using add rm mv' -l compact \
    -d 'write the archive anew without unused bytes'
complete -c zorvak-pak -n '__zorvak_pak_using grep' -s i -d 'ignore the case of ASCII letters'
complete -c zorvak-pak -n '__zorvak_pak_using grep' -s F -d 'PATTERN is a fixed string'
complete -c zorvak-pak -n '__zorvak_pak_using grep' -s E -d 'PATTERN is an extended expression'
complete -c zorvak-pak -n '__zorvak_pak_using mount' -l foreground \
    -d 'stay attached until it is unmounted'
complete -c zorvak-pak -n '__zorvak_pak_using render' -s o -x -a '(__zorvak_pak_pictures)' \
    -d 'the picture to write'
complete -c zorvak-pak -n '__zorvak_pak_using render' -l size -x -d 'its size, WxH'
complete -c zorvak-pak -n '__zorvak_pak_using render' -l frame -x -d "the model's frame, from 0"
complete -c zorvak-pak -n '__zorvak_pak_using render' -l skin -x -d "the model's skin, from 0"
complete -c zorvak-pak -n '__zorvak_pak_using render' -l view -x -a 'front side top iso' \
    -d 'front, side, top or iso'

# Positional words: archives, directories, files and entries.
for command in list verify
    complete -c zorvak-pak -n "__zorvak_pak_at $command 1+" -a '(__zorvak_pak_archives)'
end
for command in extract cat info add rm mv compact diff mount render
    complete -c zorvak-pak -n "__zorvak_pak_at $command 1" -a '(__zorvak_pak_archives)'
end
complete -c zorvak-pak -n '__zorvak_pak_at diff 2' -a '(__zorvak_pak_archives)'
complete -c zorvak-pak -n '__zorvak_pak_at grep 2' -a '(__zorvak_pak_archives)'
complete -c zorvak-pak -n '__zorvak_pak_at build 1' -a '(__fish_complete_directories)'
complete -c zorvak-pak -n '__zorvak_pak_at mount 2' -a '(__fish_complete_directories)'
complete -c zorvak-pak -n '__zorvak_pak_at add 2+' -F
complete -c zorvak-pak -n '__zorvak_pak_at extract 2+' -a '(__zorvak_pak_entries name)'
complete -c zorvak-pak -n '__zorvak_pak_at info 2+' -a '(__zorvak_pak_entries name)'
complete -c zorvak-pak -n '__zorvak_pak_at cat 2' -a '(__zorvak_pak_entries name)'
complete -c zorvak-pak -n '__zorvak_pak_at mv 2' -a '(__zorvak_pak_entries name)'
complete -c zorvak-pak -n '__zorvak_pak_at render 2' -a '(__zorvak_pak_entries name)'
complete -c zorvak-pak -n '__zorvak_pak_at rm 2+' -a '(__zorvak_pak_entries pattern)'
complete -c zorvak-pak -n '__zorvak_pak_at grep 3+' -a '(__zorvak_pak_entries pattern)'
