# Bash completion for pelto-cli.
# A test checks these lists against "pelto-cli --help", each command's --help and the
# formats pelto-cli accepts: a new command or option needs its entry here.

# The options of each command.
declare -gA _pelto_cli_options=(
    [info]="--game --chara --json"
    [items]="--game --search --group --slot --json"
    [sprites]="--game"
    [list]="--game --group --slot"
    [code]="--game --from-image --chara --reset-colors --random --lock --vary --strip --wear --color
            --json"
    [render]="--game --code --chara --motion --direction --frame --shadow --background --scale
              --delay --scope --trim --crop --flip --canvas --anchor --frame-names --layers
              --gap --format --out"
    [serve]="--game --listen --threads --memory-mb --cache-mb --public-url --metrics-listen"
    [diff]="--old --new --json --html --chara --codes --favorites"
    [demo]="--out --scale"
    [game-folder]="--settings --set"
)
# Options that may be given more than once, offered again after they are.
_pelto_cli_repeatable=" --strip --wear --color --code "
_pelto_cli_formats="bmp jpg png tpng gif tgif apng tapng webp twebp sheet tsheet bundle tbundle aseprite"

# The values an option takes, by "command option" or by option; "@dirs" and "@files" complete
# paths, an empty value leaves the word to the user.
declare -gA _pelto_cli_values=(
    [--game]=@dirs
    [--set]=@dirs
    [--settings]=@files
    [--from-image]=@files
    [--old]=@dirs
    [--new]=@dirs
    [--html]=@dirs
    [--codes]=@files
    [--favorites]=@files
    [demo --out]=@dirs
    [--out]=@files
    [--format]="$_pelto_cli_formats"
    [--scope]="action directions all"
    [--vary]="items colors all"
    [--strip]="1 2 3 4 5 6 head body hand arm shoes special"
    [--random]=""
    [--lock]=""
    [--wear]=""
    [--color]=""
    [--crop]="full body head"
    [--anchor]="feet center"
    [--frame-names]="pose index"
    [--canvas]=""
    [demo --scale]="small full"
    [--scale]="1 2 3 4 5 6 7 8"
    [--chara]="0 1 2 3 4 5 6 7 8 9 10 11 12 13 14"
    [--group]="0 1 2 3"
    [--slot]="1 2 3 4 5 6"
    [--motion]="0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18"
    [--direction]="0 1 2 3 4 5 6 7"
    [--code]=""
    [--gap]=""
    [--search]=""
    [--frame]=""
    [--background]=""
    [--delay]=""
    [--listen]=""
    [--threads]=""
    [--memory-mb]=""
    [--cache-mb]=""
    [--public-url]=""
    [--metrics-listen]=""
)

_pelto_cli_paths() {
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen "$1" -- "$2"))
}

_pelto_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "${!_pelto_cli_options[*]} --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]}
    [[ -n $command && -v "_pelto_cli_options[$command]" ]] || return

    local key
    for key in "$command $prev" "$prev"; do
        if [[ -n $prev && -v "_pelto_cli_values[$key]" ]]; then
            case ${_pelto_cli_values[$key]} in
            @dirs) _pelto_cli_paths -d "$cur" ;;
            @files) _pelto_cli_paths -f "$cur" ;;
            *) COMPREPLY=($(compgen -W "${_pelto_cli_values[$key]}" -- "$cur")) ;;
            esac
            return
        fi
    done

    # The options not given yet; --help only before any other.
    local option word unused=()
    for option in ${_pelto_cli_options[$command]}; do
        [[ $_pelto_cli_repeatable == *" $option "* ]] && { unused+=("$option"); continue; }
        for word in "${COMP_WORDS[@]:2:COMP_CWORD-2}"; do
            [[ $word == "$option" ]] && continue 2
        done
        unused+=("$option")
    done
    ((COMP_CWORD == 2)) && unused+=(--help)
    COMPREPLY=($(compgen -W "${unused[*]}" -- "$cur"))
}

complete -F _pelto_cli pelto-cli
