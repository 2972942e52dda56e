object Folder: TForm
  Left = 0
  Top = 0
  BorderStyle = bsSingle
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 500
  Color = clWhite
  object Heading: TLabel
    Left = 24
    Top = 24
    Width = 452
    Height = 20
    Caption = 'Destination folder'
  end
  object Intro: TLabel
    Left = 24
    Top = 56
    Width = 452
    Height = 20
    Caption = 'The setup installs $TITLE$ into this folder:'
  end
  object FolderEdit: TEdit
    Left = 24
    Top = 84
    Width = 360
    Height = 21
    Hint = 'TARGETDIR'
    Tag = 2
  end
  object BrowseButton: TButton
    Left = 396
    Top = 82
    Width = 80
    Height = 25
    Caption = 'B&rowse...'
    Tag = 4
  end
  object BackButton: TButton
    Left = 232
    Top = 320
    Width = 80
    Height = 25
    Caption = '< &Back'
    Tag = 2
  end
  object NextButton: TButton
    Left = 320
    Top = 320
    Width = 80
    Height = 25
    Caption = '&Next >'
    Tag = 1
  end
  object CancelButton: TButton
    Left = 408
    Top = 320
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
  end
end
