# bash completion for vexalog-cli and lx47sim

_vexalog_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands="watch record download info export print report log collect query help"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${words[1]}

    case $prev in
        --device)
            COMPREPLY=($(compgen -f -- "${cur:-/dev/tty}"))
            return ;;
        --port)
            COMPREPLY=($(compgen -W "$(seq 1 100)" -- "$cur"))
            return ;;
        --format)
            COMPREPLY=($(compgen -W "text csv json" -- "$cur"))
            return ;;
        --ini)
            _filedir ini
            return ;;
        --out)
            if [[ $command == download ]]; then _filedir -d; else _filedir txt; fi
            return ;;
        --pdf)
            _filedir pdf
            return ;;
        --db|--csv|--txt|--mqtt-password-file|--mqtt-cafile)
            _filedir
            return ;;
        --mqtt-version)
            COMPREPLY=($(compgen -W "3.1.1 5" -- "$cur"))
            return ;;
        --seconds|--interval|--count|--timeout|--set|--period|--station|--mqtt|--topic|--mqtt-client-id|--pg|--from|--to|--title|--location)
            return ;;
    esac

    local options
    case $command in
        help) [[ $cword -eq 2 ]] && COMPREPLY=($(compgen -W "${commands% help}" -- "$cur")); return ;;
        watch) options="--port --device --ini --seconds --format --help" ;;
        record) options="--port --device --ini --out --interval --count --timeout --help" ;;
        download) options="--port --device --ini --out --timeout --help" ;;
        info) options="--json --help" ;;
        export) options="--help" ;;
        print) options="--pdf --set --help" ;;
        report) options="--pdf --set --title --location --help" ;;
        log) options="--port --device --ini --db --station --interval --period --mqtt --topic --ha-discovery --mqtt-password-file --mqtt-cafile --mqtt-version --help" ;;
        collect) options="--mqtt --db --pg --topic --mqtt-password-file --mqtt-cafile --mqtt-version --mqtt-client-id --help" ;;
        query) options="--db --station --from --to --txt --csv --json --help" ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == info || $command == export || $command == print || $command == report ]]; then
        _filedir
    fi
} &&
    complete -F _vexalog_cli vexalog-cli

_lx47sim()
{
    local cur prev words cword
    _init_completion || return
    case $prev in
        --link) _filedir; return ;;
        --level) COMPREPLY=($(compgen -W "const: ramp: walk street" -- "$cur")); compopt -o nospace; return ;;
        --dump) COMPREPLY=($(compgen -W "once paced" -- "$cur")); return ;;
        --logger) COMPREPLY=($(compgen -W "none cases 2x10" -- "$cur")); return ;;
        --seed|--clock) return ;;
    esac
    COMPREPLY=($(compgen -W "--link --level --seed --clock --logger --dump --exit-with-parent --help --version" -- "$cur"))
} &&
    complete -F _lx47sim lx47sim
