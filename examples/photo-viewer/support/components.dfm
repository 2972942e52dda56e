object Components: TForm
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
    Caption = 'Components'
  end
  object FeatureTree: TTreeView
    Left = 24
    Top = 56
    Width = 260
    Height = 240
    Tag = 1
  end
  object Description: TStaticText
    Left = 300
    Top = 56
    Width = 176
    Height = 120
    Tag = 2
  end
  object Required: TStaticText
    Left = 300
    Top = 200
    Width = 176
    Height = 20
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
